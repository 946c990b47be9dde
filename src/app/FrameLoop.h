#pragma once

#include <atomic>
#include <functional>
#include <string>

class Battle;
class Battlefield;
class Playback;

// Simulation rate and the reinforcement rhythm.
constexpr int kTicksPerSecond = 60;
constexpr long kTimerClockHz = 1193181;                        // the library's timer clock
constexpr long kTickPeriod = kTimerClockHz / kTicksPerSecond;  // 19886 clock ticks
constexpr int kReinforcementFrames = 3000;

// The countdown text's left edge and top.
constexpr int kCountdownX = 640;
constexpr int kCountdownY = 32;

// Ticks due and not yet run; the timer handler adds, the frame loop takes away.
extern std::atomic<int> ticks;

// Frames left until the next reinforcement wave.
extern int reinforcementTimer;

// The 60 Hz timer handler: only counts a tick.
void onTimerTick();

// Waits, calling sleep between looks, until at least one tick is due.
void waitForTick(const std::atomic<int>& due, const std::function<void()>& sleep);

// Runs one pass per due tick, but stops as soon as a tick arrives during a pass, so a slow
// frame never starts a spiral of ever more passes. Returns the number of passes run.
int catchUp(std::atomic<int>& due, const std::function<void()>& pass);

// Counts the reinforcement timer down once per frame while the battle runs, and launches a
// wave when it runs out.
void countDownReinforcements(const Battlefield& field);

// "Reinforcements in N".
std::string countdownText(int timer);
void drawCountdownText();

// One whole frame up to the copy to the screen: the battle's part as the playback runs it
// (wait, catch up, countdown; at 1x and with no key pressed exactly the original frame), then
// the frame drawn as the program shows it.
void runFrame(Battle& battle, Playback& playback, std::atomic<int>& due, const std::function<void()>& sleep);

// The main loop: frames, each put on the screen by show, until stop says to end. stop is
// asked once before the first frame (when it already says so, nothing is updated or drawn)
// and once after every frame; it is also where the keys reach the playback. Returns the
// number of frames run.
int runFrames(Battle& battle, Playback& playback, std::atomic<int>& due, const std::function<void()>& sleep,
              const std::function<bool()>& stop, const std::function<void()>& show);
