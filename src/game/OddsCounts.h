#pragma once

#include "game/WilsonInterval.h"

// The odds of one moment of a battle as its rollouts came out: of `rollouts` played from the
// battle at `frame`, red (team 0) won `red`, blue (team 1) won `blue`, and `unfinished` reached
// the horizon with both bases standing. Sums of whole numbers: the rollouts of a moment can be
// counted in any order, in pieces, and come to the same counts.
struct OddsCounts {
    int frame = 0;
    int rollouts = 0;
    int red = 0;
    int blue = 0;
    int unfinished = 0;

    void add(int winner);                // one rollout more, won by this team (kNoTeam: unfinished)
    void add(const OddsCounts& other);   // the rollouts of another piece of the same moment
    int won(int team) const;             // red or blue; 0 for any other team
    // A side's chance to win with its 95% interval; all 0 before the first rollout.
    WilsonInterval chance(int team) const;

    bool operator==(const OddsCounts& o) const
    {
        return frame == o.frame && rollouts == o.rollouts && red == o.red && blue == o.blue &&
               unfinished == o.unfinished;
    }
    bool operator!=(const OddsCounts& o) const { return !(*this == o); }
};
