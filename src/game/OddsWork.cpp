#include "game/OddsWork.h"

#include <utility>

#include "game/Timeline.h"

namespace {
const OddsCounts kNothingYet;
}

OddsWork::OddsWork(unsigned generation, int frame, Battle from, int rollouts)
    : generation_(generation), frame_(frame), rollouts_(rollouts), from_(std::move(from))
{
    from_->setWatched(false);  // the same battle, without the particles nobody sees
}

bool OddsWork::advance(int frames)
{
    if (from_) {
        for (; frames > 0 && Timeline::frameOf(*from_) < frame_ && !from_->over(); --frames) from_->frame();
        if (Timeline::frameOf(*from_) < frame_ && !from_->over()) return false;
        run_.emplace(std::move(*from_), rollouts_);
        from_.reset();
    }
    return run_->advance(frames);
}

void OddsWork::runAll()
{
    while (!advance(1 << 20)) {
    }
}

const OddsCounts& OddsWork::counts() const
{
    return run_ ? run_->counts() : kNothingYet;
}
