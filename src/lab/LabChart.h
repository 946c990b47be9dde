#pragma once

#include <string>
#include <vector>

#include "lab/BattleOutcome.h"
#include "lab/LabSummary.h"

class OutputFile;

// The chart of a run: the mean units alive per side against battle time with a band from the
// 10th to the 90th percentile, and a histogram of the battle lengths below it. gnuplot draws
// it from a script and data files written to a temporary folder.
//
// Battles are added as they finish and kept only as tallies per second of battle time, so the
// memory grows with the length of the longest battle, not with the number of battles.
class LabChart {
public:
    // One second of battle time for all battles. A battle that has ended counts with what it
    // had left at its end, so every point is over the same battles.
    struct Point {
        double seconds = 0;
        double mean[kSides] = {};
        double low[kSides] = {};   // 10th percentile
        double high[kSides] = {};  // 90th percentile
    };
    struct Bin {
        double start = 0;  // seconds
        long long count = 0;
    };

    // alive holds the battle's units alive per side after 0 frames and every second after.
    void add(const BattleOutcome& outcome, const std::vector<AliveSample>& alive);

    std::vector<Point> aliveSeries() const;
    double binWidth() const;              // seconds; a round number giving about 20 bins
    std::vector<Bin> lengthBins() const;  // from the bin of the shortest battle to the longest's

    // Draws the chart into an open PNG file (not committed). On failure returns false and
    // says why in error.
    bool draw(OutputFile& png, std::string& error) const;

private:
    // Units alive per side at one second, over some battles.
    struct SideTallies {
        Tally units[kSides];
    };

    std::string script() const;
    double lengthSeconds(int endFrame) const;

    std::vector<SideTallies> running_;  // per second: the battles under way then, as they stood
    std::vector<SideTallies> endedAt_;  // per second: what the battles that ended then had left
    long long battles_ = 0;
    Tally endFrames_;  // of the battles in which a base fell
    long long unfinished_ = 0;
};
