#pragma once

#include <optional>

#include "game/Battle.h"
#include "game/OddsCounts.h"

// The odds of one moment of a battle, worked out a little at a time by a program with other
// things to do in between: a background thread takes a rollout at a time (runOne), a page with
// one thread the frames its frame has time for (advance). Either way rollout k is played as
// playRollout plays it (game/Rollout.h), so the counts after the same rollouts are the same
// however the work was cut up. Needs no thread of its own and shares nothing: runs of other
// moments, or of other rollouts of the same moment, may go on in other threads, and counts of
// pieces add up (OddsCounts::add) to the counts of the whole.
class OddsRun {
public:
    // The odds of the battle as it stands from rollouts first .. first + rollouts - 1. The
    // battle is kept as given (pass a copy, or move one in); the original may play on.
    OddsRun(Battle moment, int rollouts, int first = 0);

    // Plays the rollout under way, or the next one, to its end. False when none was left.
    bool runOne();
    // Plays at most `frames` frames of the rollouts left, going on where the last call left
    // off (a rollout of a battle that is over needs none). Returns done().
    bool advance(int frames);
    bool done() const { return next_ == end_ && !current_; }

    const OddsCounts& counts() const { return counts_; }  // of the rollouts finished so far
    int frame() const { return counts_.frame; }           // the moment: the battle's time
    int rollouts() const { return end_ - first_; }        // asked for
    const Battle& moment() const { return moment_; }

private:
    Battle moment_;
    std::optional<Battle> current_;  // the rollout under way, when one is
    int first_;
    int next_;  // the rollout to start next
    int end_;   // one past the last rollout
    OddsCounts counts_;
};
