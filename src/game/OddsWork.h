#pragma once

#include <optional>

#include "game/Battle.h"
#include "game/OddsRun.h"

// The odds of one moment of a watched battle to be worked out, a little at a time or all at
// once: the battle at or before the moment (a keyframe of the timeline, a copy of the battle
// itself) is played on to the moment, then the rollouts are played (OddsRun). The counts are
// the same however the work is cut up, in any thread.
class OddsWork {
public:
    // generation: the OddsCourse's, to hand back with the counts.
    OddsWork(unsigned generation, int frame, Battle from, int rollouts);

    // Plays at most `frames` frames of the work left; returns done().
    bool advance(int frames);
    void runAll();  // to the end
    bool done() const { return run_ && run_->done(); }

    unsigned generation() const { return generation_; }
    int frame() const { return frame_; }
    const OddsCounts& counts() const;  // once done: the moment's

private:
    unsigned generation_;
    int frame_;
    int rollouts_;
    std::optional<Battle> from_;  // until it reaches the moment
    std::optional<OddsRun> run_;  // from then on
};
