#pragma once

#include <functional>
#include <string>

#include "game/Timeline.h"

class Battle;
class DueTicks;

// Playback speeds are powers of two, from 1/4x to 8x; a step is the power.
constexpr int kSlowestSpeedStep = -2;  // 1/4x
constexpr int kFastestSpeedStep = 3;   // 8x

// Drawn frames the end of a battle stays on screen in the endless show: 5 seconds.
constexpr int kEndShownFrames = 300;
// Drawn frames a battle in which neither army has a unit, and so nothing happens, stays on
// screen in the endless show: 10 seconds.
constexpr int kIdleShownFrames = 600;

// Left and Right move this many frames: 5 seconds.
constexpr int kSeekFrames = 300;
// Drawn frames the timeline stays on screen after one of its keys: 3 seconds.
constexpr int kTimelineShownFrames = 180;

// The viewer's hold on the battle: the playback speed, the pause and the endless show, and
// what one drawn frame runs of the battle under them.
//
// A logical frame is one update pass and one step of the reinforcement countdown. Every due
// tick the catch-up takes runs the speed's share of logical frames: one at 1x, n of them at
// n x, and at 1/2x and 1/4x one every 2nd or 4th tick (so every 2nd or 4th drawn frame while no
// frame has to catch up). A frame that catches up on several ticks runs a whole logical frame
// for each, so at any speed, with pauses, and on a machine too slow to draw every tick, the
// battle goes through the same logical frames: it is always the battle of its seed.
class Playback {
public:
    explicit Playback(bool loop = false) : loop_(loop) {}

    // ---- the keys ----
    void faster();       // + or =: doubles the speed, up to 8x
    void slower();       // -: halves it, down to 1/4x
    void normalSpeed();  // 1: back to 1x
    void togglePause();  // Space: pauses, or goes on

    // ---- the timeline: a seek lands on exactly the battle played forward to its frame ----
    void seekBy(Battle& battle, int frames);  // Left and Right: 5 seconds back or forward
    void stepBy(Battle& battle, int frames);  // Shift+Left and Shift+Right: a frame, pausing first
    void seekTo(Battle& battle, int frame);   // Home (0), or a click on the timeline
    void seekToEnd(Battle& battle);           // End: to the fall of a base (or the look-ahead)
    void startAt(Battle& battle, int frame);  // the battle shown paused at this frame, as if played to it
    void follow(const Battle& battle);        // the timeline follows this battle (one it never saw: anew)
    // While paused, and for kTimelineShownFrames drawn frames after a timeline key.
    bool timelineShown() const { return paused_ || sinceTimelineKey_ < kTimelineShownFrames; }
    const Timeline& timeline() const { return timeline_; }

    bool paused() const { return paused_; }
    bool loop() const { return loop_; }           // the endless show
    int speedStep() const { return speedStep_; }  // 0 at 1x, 3 at 8x, -2 at 1/4x
    std::string speedText() const;                // "Speed 4x", "Speed 1/2x"; empty at 1x

    // The battle's part of one drawn frame: waits (calling sleep between looks) until a tick is
    // due, then runs what the speed asks for. While paused the due ticks are dropped and nothing
    // runs, so the battle and the countdown stand still and no burst of ticks follows the pause.
    // In the endless show, once the end of a battle has been shown for kEndShownFrames drawn
    // frames (a battle without a unit for kIdleShownFrames), the battle of the next seed
    // starts, with the same counts, before the frame runs.
    void runFrame(Battle& battle, DueTicks& due, const std::function<void()>& sleep);
    // The same for a caller that must not wait (a browser's page): when no tick is due, once
    // the ticks a key asked to drop are dropped, nothing runs and it returns false.
    bool runFrameIfDue(Battle& battle, DueTicks& due);

private:
    void dropDueAfterKeys(DueTicks& due);             // the backlog a key asked to drop
    void runDueFrame(Battle& battle, DueTicks& due);  // the frame, a tick being due
    void setSpeedStep(int step);
    void runTick(Battle& battle);  // the logical frames of one due tick at the speed
    void playFrame(Battle& battle);       // one logical frame, noted by the timeline
    void timelineKey();                   // the timeline shows, and the ticks due meanwhile are dropped

    bool loop_;  // the endless show: the next seed follows the end
    bool paused_ = false;
    int speedStep_ = 0;
    int slowTicks_ = 0;     // ticks taken since the last logical frame, below 1x
    bool dropDue_ = false;  // the ticks due after a key are not to be run as a backlog
    int endShown_ = 0;      // drawn frames, not paused, that showed the end of the battle (or an idle one)
    int lastPasses_ = 0;    // the battle's passes after the last frame: fewer now, it was started again
    int sinceTimelineKey_ = kTimelineShownFrames;  // drawn frames since the last timeline key
    Timeline timeline_;                            // the battle as far as it has been seen, to seek in
};
