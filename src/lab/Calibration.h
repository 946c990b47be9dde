#pragma once

#include <string>
#include <vector>

#include "game/ArmyCount.h"
#include "game/OddsCounts.h"
#include "lab/ForecastScore.h"

// Whether the odds can be trusted: for battles played to their ends, the odds of red winning
// at some moments against who did win, scored moment by moment, and beside them the share of
// units alive as a forecast of the same (the baseline). A forecast is scored only when the
// battle was still on at its moment and a base fell in the end: the odds of a battle that is
// over are certain, and a battle nobody won has nothing to foretell.
class Calibration {
public:
    struct Moment {
        int frame = 0;
        ForecastScore odds;      // red's rollouts won over the rollouts
        ForecastScore baseline;  // red's units alive over both sides'
        long long over = 0;        // battles over by then: not scored
        long long unfinished = 0;  // battles no side won: not scored
    };

    Calibration(const std::vector<int>& moments, int rollouts);

    // The odds of a battle at moment m (an index into the moments), its units alive then,
    // whether it was over by then, and the side that won it in the end (kNoTeam: none).
    void add(size_t m, const OddsCounts& odds, const AliveSample& alive, bool over, int winner);
    // A battle played to its end, after its moments were added.
    void addBattle(int winner);

    const std::vector<Moment>& moments() const { return moments_; }
    const ForecastScore& allOdds() const { return allOdds_; }          // every moment's, scored
    const ForecastScore& allBaseline() const { return allBaseline_; }  // likewise
    long long battles() const { return battles_; }
    int rollouts() const { return rollouts_; }

    // The report as printed: the ends, the scores moment by moment, the reliability table.
    std::string report() const;

private:
    std::vector<Moment> moments_;
    ForecastScore allOdds_;
    ForecastScore allBaseline_;
    int rollouts_;
    long long battles_ = 0;
    long long wins_[kSides] = {};
    long long unfinished_ = 0;
};
