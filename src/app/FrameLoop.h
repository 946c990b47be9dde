#pragma once

#include <atomic>
#include <functional>
#include <string>

class Battlefield;

// Simulation rate and the reinforcement rhythm.
constexpr int kTicksPerSecond = 60;
constexpr long kTimerClockHz = 1193181;                         // the library's timer clock
constexpr long kTickPeriod = kTimerClockHz / kTicksPerSecond;  // 19886 clock ticks
constexpr int kReinforcementFrames = 3000;

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

// One whole frame up to the copy to the screen: wait, catch up, countdown, render, text.
void runFrame(Battlefield& field, std::atomic<int>& due, const std::function<void()>& sleep);

// The main loop: frames, each put on the screen by show, until stop says to end. stop is
// asked once before the first frame (when it already says so, nothing is updated or drawn)
// and once after every frame. Returns the number of frames run.
int runFrames(Battlefield& field, std::atomic<int>& due, const std::function<void()>& sleep,
              const std::function<bool()>& stop, const std::function<void()>& show);
