#include "game/OddsRun.h"

#include <algorithm>

#include "game/Rollout.h"

OddsRun::OddsRun(Battle moment, int rollouts, int first)
    : moment_(std::move(moment)), first_(first), next_(first), end_(first + std::max(rollouts, 0))
{
    counts_.frame = Timeline::frameOf(moment_);
}

bool OddsRun::runOne()
{
    if (done()) return false;
    if (!current_) current_.emplace(startRollout(moment_, next_++));
    while (!rolloutEnded(*current_)) current_->frame();
    counts_.add(rolloutWinner(*current_));
    current_.reset();
    return true;
}

bool OddsRun::advance(int frames)
{
    while (!done()) {
        if (!current_) current_.emplace(startRollout(moment_, next_++));
        for (; frames > 0 && !rolloutEnded(*current_); --frames) current_->frame();
        if (!rolloutEnded(*current_)) break;
        counts_.add(rolloutWinner(*current_));
        current_.reset();
    }
    return done();
}
