#pragma once

#include <functional>
#include <string>

#include "game/Battle.h"
#include "game/Timeline.h"

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

// The battle a viewer watches, and everything that belongs to watching it: the battle itself,
// its timeline (the course seen so far and the keyframes to seek in), and the playback (the
// speed, the pause, the endless show). The desktop, the clip recorder and the page each hold
// one and ask it for everything; a battle is replaced only through it, so its timeline always
// follows the battle it shows.
//
// A logical frame is one update pass and one step of the reinforcement countdown. Every due
// tick the catch-up takes runs the speed's share of logical frames: one at 1x, n of them at
// n x, and at 1/2x and 1/4x one every 2nd or 4th tick (so every 2nd or 4th drawn frame while no
// frame has to catch up). A frame that catches up on several ticks runs a whole logical frame
// for each, so at any speed, with pauses, and on a machine too slow to draw every tick, the
// battle goes through the same logical frames: it is always the battle of its seed.
class WatchedBattle {
public:
    WatchedBattle(const UnitCounts& counts, unsigned seed, bool loop = false);
    // Watches this battle from where it stands (a test's made-up one, say): the timeline starts
    // there.
    explicit WatchedBattle(Battle battle, bool loop = false);

    // ---- what is watched ----
    const Battle& battle() const { return battle_; }
    const Timeline& timeline() const { return timeline_; }
    int moment() const { return Timeline::frameOf(battle_); }  // the battle's time

    // ---- another battle: the only ways the battle is replaced ----
    // The seed after this one, as the endless show and "Next battle" play it (and the one
    // before, for "Previous battle"); seeds wrap around at the ends of their range.
    static unsigned nextSeed(unsigned seed) { return seed + 1; }
    static unsigned previousSeed(unsigned seed) { return seed - 1; }
    void next();                                         // the battle of the next seed, same counts
    void previous();                                     // the battle of the seed before
    void replay();                                       // the same battle again from its start
    void replace(const UnitCounts& counts, unsigned seed);  // another battle altogether

    // ---- the keys ----
    void faster();       // + or =: doubles the speed, up to 8x
    void slower();       // -: halves it, down to 1/4x
    void normalSpeed();  // 1: back to 1x
    void togglePause();  // Space: pauses, or goes on

    // ---- the timeline: a move lands on exactly the battle played forward to its frame ----
    void seekBy(int frames);  // Left and Right: 5 seconds back or forward
    void stepBy(int frames);  // Shift+Left and Shift+Right: a frame, pausing first
    void seekTo(int frame);   // Home (0), or a click on the timeline
    void seekToEnd();         // End: to the fall of a base (or the look-ahead)
    void startAt(int frame);  // the battle shown paused at this frame, as if played to it
    // While paused, and for kTimelineShownFrames drawn frames after a timeline key.
    bool timelineShown() const { return paused_ || sinceTimelineKey_ < kTimelineShownFrames; }

    bool paused() const { return paused_; }
    bool loop() const { return loop_; }           // the endless show
    int speedStep() const { return speedStep_; }  // 0 at 1x, 3 at 8x, -2 at 1/4x
    std::string speedText() const;                // "Speed 4x", "Speed 1/2x"; empty at 1x

    // ---- frames ----
    // The battle's part of one drawn frame: waits (calling sleep between looks) until a tick is
    // due, then runs what the speed asks for. While paused the due ticks are dropped and nothing
    // runs, so the battle and the countdown stand still and no burst of ticks follows the pause.
    // In the endless show, once the end of a battle has been shown for kEndShownFrames drawn
    // frames (a battle without a unit for kIdleShownFrames), the battle of the next seed
    // starts, with the same counts, before the frame runs.
    void runFrame(DueTicks& due, const std::function<void()>& sleep);
    // The same for a caller that must not wait (a browser's page): when no tick is due, once
    // the ticks a key asked to drop are dropped, nothing runs and it returns false.
    bool runFrameIfDue(DueTicks& due);
    // One logical frame as the battle plays by itself, whatever the speed or the pause (a
    // clip's frames, a test's).
    void playFrame();

private:
    void dropDueAfterKeys(DueTicks& due);  // the backlog a key asked to drop
    void runDueFrame(DueTicks& due);       // the frame, a tick being due
    void setSpeedStep(int step);
    void runTick();      // the logical frames of one due tick at the speed
    void timelineKey();  // the timeline shows, and the ticks due meanwhile are dropped

    Battle battle_;      // the battle shown
    Timeline timeline_;  // the battle as far as it has been seen, to seek in
    bool loop_;          // the endless show: the next seed follows the end
    bool paused_ = false;
    int speedStep_ = 0;
    int slowTicks_ = 0;     // ticks taken since the last logical frame, below 1x
    bool dropDue_ = false;  // the ticks due after a key are not to be run as a backlog
    int endShown_ = 0;      // drawn frames, not paused, that showed the end of this battle (or an idle one)
    int sinceTimelineKey_ = kTimelineShownFrames;  // drawn frames since the last timeline key
};
