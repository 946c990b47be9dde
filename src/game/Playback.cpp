#include "game/Playback.h"

#include <algorithm>

#include "game/Battle.h"
#include "game/DueTicks.h"

void Playback::faster()
{
    setSpeedStep(speedStep_ + 1);
}

void Playback::slower()
{
    setSpeedStep(speedStep_ - 1);
}

void Playback::normalSpeed()
{
    setSpeedStep(0);
}

void Playback::togglePause()
{
    paused_ = !paused_;
    dropDue_ = true;
}

void Playback::setSpeedStep(int step)
{
    step = std::clamp(step, kSlowestSpeedStep, kFastestSpeedStep);
    if (step == speedStep_) return;
    speedStep_ = step;
    slowTicks_ = 0;
    // Ticks left over from a speed the machine could not hold are not run at the new one.
    dropDue_ = true;
}

std::string Playback::speedText() const
{
    if (speedStep_ > 0) return "Speed " + std::to_string(1 << speedStep_) + "x";
    if (speedStep_ < 0) return "Speed 1/" + std::to_string(1 << -speedStep_) + "x";
    return "";
}

void Playback::runFrame(Battle& battle, DueTicks& due, const std::function<void()>& sleep)
{
    dropDueAfterKeys(due);
    waitForTick(due, sleep);
    runDueFrame(battle, due);
}

bool Playback::runFrameIfDue(Battle& battle, DueTicks& due)
{
    dropDueAfterKeys(due);
    if (due.load() == 0) return false;
    runDueFrame(battle, due);
    return true;
}

void Playback::dropDueAfterKeys(DueTicks& due)
{
    if (!dropDue_) return;
    due.store(0);
    dropDue_ = false;
}

void Playback::seekBy(Battle& battle, int frames)
{
    seekTo(battle, Timeline::frameOf(battle) + frames);
}

void Playback::stepBy(Battle& battle, int frames)
{
    if (!paused_) togglePause();
    seekBy(battle, frames);
}

void Playback::seekTo(Battle& battle, int frame)
{
    follow(battle);
    timeline_.seek(battle, frame);
    timelineKey();
}

void Playback::seekToEnd(Battle& battle)
{
    follow(battle);
    timeline_.seekToEnd(battle);
    timelineKey();
}

void Playback::startAt(Battle& battle, int frame)
{
    follow(battle);
    timeline_.seek(battle, frame);
    paused_ = true;
    dropDue_ = true;
}

void Playback::timelineKey()
{
    sinceTimelineKey_ = 0;
    dropDue_ = true;
}

void Playback::follow(const Battle& battle)
{
    if (!timeline_.follows(battle)) timeline_.reset(battle);
}

void Playback::playFrame(Battle& battle)
{
    battle.frame();
    timeline_.note(battle);
}

void Playback::runDueFrame(Battle& battle, DueTicks& due)
{
    if (sinceTimelineKey_ < kTimelineShownFrames) ++sinceTimelineKey_;
    follow(battle);
    if (paused_) {
        due.store(0);
        return;
    }
    const bool idle = neitherArmyHasAUnit(battle.counts());  // nothing will ever happen in it
    if (battle.passes() < lastPasses_) endShown_ = 0;        // replaced from outside (a page's replay)
    if (loop_ && endShown_ >= (idle ? kIdleShownFrames : kEndShownFrames)) {
        battle.restart(battle.seed() + 1);
        timeline_.reset(battle);
        endShown_ = 0;
    }
    catchUp(due, [this, &battle] { runTick(battle); });
    if (!battle.over() && !idle) {
        endShown_ = 0;  // also when the battle was replaced from outside (a page's next battle)
    } else if (endShown_ < kIdleShownFrames) {
        ++endShown_;
    }
    lastPasses_ = battle.passes();
}

void Playback::runTick(Battle& battle)
{
    if (speedStep_ >= 0) {
        for (int n = 0; n < (1 << speedStep_); ++n) playFrame(battle);
        return;
    }
    if (++slowTicks_ < (1 << -speedStep_)) return;
    slowTicks_ = 0;
    playFrame(battle);
}
