#pragma once

#include <map>
#include <string>
#include <vector>

#include "lab/BattleOutcome.h"
#include "game/UnitCounts.h"
#include "lab/LabSummary.h"

class OutputFile;

// What the battles of several armies come to, army by army: a LabSummary for every
// composition (the six counts) the battles were played with. The compositions are kept in the
// order of their counts, the command line's order first, so the table and the chart are the
// same whatever order the battles came in and however they were split between runs or files.
class SweepSummary {
public:
    // The battles are of a sweep that varied these counts (places in the command line's order,
    // in the sweep's order), however many values they took; without one, of one army or of
    // armies told apart by their counts alone.
    void sweepOf(std::vector<int> varied)
    {
        varied_ = std::move(varied);
        sweep_ = !varied_.empty();
    }

    void add(const BattleOutcome& outcome);

    long long battles() const { return battles_; }
    int compositions() const { return static_cast<int>(byCounts_.size()); }
    // The counts the sweep varied; without a sweep given, the places, in the command line's
    // order, of the counts that are not the same in every composition.
    std::vector<int> variedCounts() const;
    // Several compositions that differ in one or two counts: a sweep drawSweepChart can draw.
    bool chartable() const { return compositions() > 1 && differingCounts().size() <= 2; }
    // A table of compositions, even of one: a sweep was given, or the lines have several.
    bool table() const { return sweep_ || compositions() > 1; }

    struct Row {
        UnitCounts counts;
        const LabSummary* summary;
    };
    std::vector<Row> rows() const;  // in the order of the counts

    // The places, in the command line's order, of the counts that are not the same in every
    // composition.
    std::vector<int> differingCounts() const;

private:
    std::map<CountsKey, LabSummary> byCounts_;
    long long battles_ = 0;
    std::vector<int> varied_;  // given by the sweep
    bool sweep_ = false;       // a sweep was given
};

// The summary as printed: for battles of one composition, not of a sweep, exactly
// formatSummary's; else one row per composition with its varied counts, its battles, the red, blue and unfinished
// shares with their 95% Wilson intervals and the mean length of the battles in which a base
// fell. Ends with a line end.
std::string formatSweepSummary(const SweepSummary& sweep);

// Draws the chart of a sweep of one or two varied counts with gnuplot: blue's win share against
// the varied count with its 95% band, or a heat map of blue's win share with the values written
// in the cells when they are big enough for them. Long axes are labelled at every few values.
// On failure (also for a summary that is not chartable) returns false and says why
// in error.
bool drawSweepChart(const SweepSummary& sweep, OutputFile& png, std::string& error);
