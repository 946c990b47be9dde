#include "game/WatchedBattle.h"

#include <algorithm>
#include <utility>

#include "game/DueTicks.h"

WatchedBattle::WatchedBattle(const UnitCounts& counts, unsigned seed, bool loop)
    : WatchedBattle(Battle(counts, seed), loop)
{
}

WatchedBattle::WatchedBattle(Battle battle, bool loop) : battle_(std::move(battle)), loop_(loop)
{
    timeline_.reset(battle_);
}

// ---- another battle ----

void WatchedBattle::next()
{
    replace(battle_.counts(), nextSeed(battle_.seed()));
}

void WatchedBattle::previous()
{
    replace(battle_.counts(), previousSeed(battle_.seed()));
}

void WatchedBattle::replay()
{
    replace(battle_.counts(), battle_.seed());
}

void WatchedBattle::replace(const UnitCounts& counts, unsigned seed)
{
    battle_.restart(counts, seed);
    timeline_.reset(battle_);
    endShown_ = 0;
}

// ---- the keys ----

void WatchedBattle::faster()
{
    setSpeedStep(speedStep_ + 1);
}

void WatchedBattle::slower()
{
    setSpeedStep(speedStep_ - 1);
}

void WatchedBattle::normalSpeed()
{
    setSpeedStep(0);
}

void WatchedBattle::togglePause()
{
    paused_ = !paused_;
    dropDue_ = true;
}

void WatchedBattle::setSpeedStep(int step)
{
    step = std::clamp(step, kSlowestSpeedStep, kFastestSpeedStep);
    if (step == speedStep_) return;
    speedStep_ = step;
    slowTicks_ = 0;
    // Ticks left over from a speed the machine could not hold are not run at the new one.
    dropDue_ = true;
}

std::string WatchedBattle::speedText() const
{
    if (speedStep_ > 0) return "Speed " + std::to_string(1 << speedStep_) + "x";
    if (speedStep_ < 0) return "Speed 1/" + std::to_string(1 << -speedStep_) + "x";
    return "";
}

// ---- the timeline ----

void WatchedBattle::seekBy(int frames)
{
    seekTo(moment() + frames);
}

void WatchedBattle::stepBy(int frames)
{
    if (!paused_) togglePause();
    seekBy(frames);
}

void WatchedBattle::seekTo(int frame)
{
    timeline_.seek(battle_, frame);
    timelineKey();
}

void WatchedBattle::seekToEnd()
{
    timeline_.seekToEnd(battle_);
    timelineKey();
}

void WatchedBattle::startAt(int frame)
{
    timeline_.seek(battle_, frame);
    paused_ = true;
    dropDue_ = true;
}

void WatchedBattle::timelineKey()
{
    sinceTimelineKey_ = 0;
    dropDue_ = true;
}

// ---- frames ----

void WatchedBattle::runFrame(DueTicks& due, const std::function<void()>& sleep)
{
    dropDueAfterKeys(due);
    waitForTick(due, sleep);
    runDueFrame(due);
}

bool WatchedBattle::runFrameIfDue(DueTicks& due)
{
    dropDueAfterKeys(due);
    if (due.load() == 0) return false;
    runDueFrame(due);
    return true;
}

void WatchedBattle::dropDueAfterKeys(DueTicks& due)
{
    if (!dropDue_) return;
    due.store(0);
    dropDue_ = false;
}

void WatchedBattle::playFrame()
{
    battle_.frame();
    timeline_.note(battle_);
}

void WatchedBattle::runDueFrame(DueTicks& due)
{
    if (sinceTimelineKey_ < kTimelineShownFrames) ++sinceTimelineKey_;
    if (paused_) {
        due.store(0);
        return;
    }
    const bool idle = neitherArmyHasAUnit(battle_.counts());  // nothing will ever happen in it
    if (loop_ && endShown_ >= (idle ? kIdleShownFrames : kEndShownFrames)) next();
    catchUp(due, [this] { runTick(); });
    if (!battle_.over() && !idle) {
        endShown_ = 0;  // also after a move back from the end
    } else if (endShown_ < kIdleShownFrames) {
        ++endShown_;
    }
}

void WatchedBattle::runTick()
{
    if (speedStep_ >= 0) {
        for (int n = 0; n < (1 << speedStep_); ++n) playFrame();
        return;
    }
    if (++slowTicks_ < (1 << -speedStep_)) return;
    slowTicks_ = 0;
    playFrame();
}
