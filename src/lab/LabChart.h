#pragma once

#include <string>
#include <vector>

#include "lab/BattleOutcome.h"

// The chart of a run: the mean units alive per side against battle time with a band from the
// 10th to the 90th percentile, and a histogram of the battle lengths below it. gnuplot draws
// it from a script and data files written to a temporary folder.
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
        int count = 0;
    };

    // alive holds the battle's units alive per side after 0 frames and every second after.
    void add(const BattleOutcome& outcome, const std::vector<AliveSample>& alive);

    std::vector<Point> aliveSeries() const;
    double binWidth() const;              // seconds; a round number giving about 20 bins
    std::vector<Bin> lengthBins() const;  // from the bin of the shortest battle to the longest's

    // Draws the chart into a PNG file. On failure returns false and says why in error.
    bool draw(const std::string& pngPath, std::string& error) const;

private:
    std::string script() const;

    std::vector<std::vector<AliveSample>> alive_;  // per battle, the end's numbers last
    std::vector<double> lengths_;                  // seconds of the battles in which a base fell
    int unfinished_ = 0;
};

// Whether a program can be found on the PATH.
bool programOnPath(const std::string& name);
