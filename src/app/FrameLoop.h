#pragma once

#include <functional>

#include "game/DueTicks.h"

class Canvas;
class WatchedBattle;

// The library's timer runs at this clock; a tick of the battle is this many of its ticks.
constexpr long kTimerClockHz = 1193181;
constexpr long kTickPeriod = kTimerClockHz / kTicksPerSecond;  // 19886 clock ticks

// Ticks due and not yet run; the timer handler adds, the frame loop takes away.
extern DueTicks ticks;

// The 60 Hz timer handler: only counts a tick.
void onTimerTick();

// One whole frame up to the copy to the screen: the battle's part as the watched battle runs it
// (wait, catch up, countdown; at 1x and with no key pressed exactly the original frame), then
// the frame drawn into the canvas as the program shows it.
void runFrame(WatchedBattle& watched, Canvas& canvas, DueTicks& due, const std::function<void()>& sleep);

// The main loop: frames, each put on the screen by show, until stop says to end. stop is
// asked once before the first frame (when it already says so, nothing is updated or drawn)
// and once after every frame; it is also where the keys reach the watched battle. Returns the
// number of frames run.
int runFrames(WatchedBattle& watched, Canvas& canvas, DueTicks& due, const std::function<void()>& sleep,
              const std::function<bool()>& stop, const std::function<void()>& show);
