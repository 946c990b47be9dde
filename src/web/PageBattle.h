#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/WatchedBattle.h"
#include "gfx/AreaScaler.h"
#include "gfx/PixelCanvas.h"
#include "web/ClockTicks.h"
#include "web/PageAddress.h"

// The battle a browser's page shows: the battle of the address, run at 60 ticks a second with
// the desktop's catch-up rule and drawn as the desktop draws it (less "Push Esc To Exit": Esc
// ends nothing on a page), into a pixel buffer that is handed to the page as RGBA, whole or
// shrunk to the size the page shows it at by the desktop's area average. The page calls frame
// once per picture the browser asks for, and passes on the viewer's keys and buttons.
//
// The timeline moves as the desktop's keys move it, and lands where they land. A move into
// what was never seen plays the battle ahead a slice at a time, kAheadMilliseconds of it per
// frame, so that a far moment (the end of a long battle, an address's t hours in) keeps the
// page answering and shows where it has got to; the battle stands meanwhile.
class PageBattle {
public:
    // Moves of the timeline, as its keys and buttons ask for them.
    enum class Move {
        Start,     // Home
        Back,      // Left: 5 seconds back
        StepBack,  // Shift+Left or ,: a frame back, pausing first
        StepOn,    // Shift+Right or .: a frame on, pausing first
        On,        // Right: 5 seconds on
        End,       // End: to the fall of a base, or Timeline::kPlayAheadFrames
    };
    static constexpr double kAheadMilliseconds = 25.0;  // of playing ahead, per call

    // pickedSeed is played when the address gives none (or was bad); clock gives milliseconds.
    // An address with a moment opens the battle paused there.
    PageBattle(const PageAddress& address, unsigned pickedSeed, std::function<double()> clock);

    // ---- frames ----
    // When a tick is due, one frame as the desktop runs it (the catch-up, the countdown, the
    // keys' speed and pause, the endless show), drawn and turned into RGBA; returns whether a
    // frame was drawn. With no tick due nothing changes.
    bool frame();
    const std::uint32_t* rgba() const { return rgba_.data(); }  // shownWidth() x shownHeight()
    void dropDueTicks();  // the ticks that came due while nobody watched are not run

    // ---- the size of the picture ----
    // From now on the frame is handed over at this size: the whole frame (kScreenWidth x
    // kScreenHeight, which the page enlarges by whole pixels itself) or a smaller picture of
    // it, every pixel the average of the frame's pixels under it. The frame on the screen is
    // handed over again at once, also while paused.
    void showAt(int width, int height);
    int shownWidth() const { return shownWidth_; }
    int shownHeight() const { return shownHeight_; }

    // ---- the viewer ----
    // A key as the desktop takes it: ' ' pauses or goes on (and stops playing ahead), '+' or
    // '=' doubles the speed, '-' halves it, '1' is normal speed, ',' and '.' step a frame back
    // or on. Other keys do nothing. The page's buttons press them too.
    void pressKey(char key);
    // The timeline's keys and buttons; each draws the frame it lands on at once.
    void move(Move move);
    // To this frame (a drag or a click on the timeline), kept within 0 and the end.
    void seekTo(int frame);
    // While the viewer holds the timeline's handle the battle stands, as if paused.
    void grab(bool held) { grabbed_ = held; }
    // The frame still to be reached by playing ahead, or -1.
    int goal() const { return goal_.value_or(-1); }
    int moment() const { return watched_.moment(); }  // the battle's time
    int span() const;  // the frames the timeline spans, as the desktop's bar spans them
    void nextBattle();      // the battle of the next seed, with the same counts
    void previousBattle();  // the battle of the seed before
    void replay();          // the same battle again from its start

    // ---- what the page shows of it ----
    unsigned seed() const { return watched_.battle().seed(); }
    // "Battle - seed 11", and once a base has fallen "Battle - seed 11 - Blue eliminated".
    std::string title() const;
    // The field's name for a screen reader: "Battle of seed 11: blue 200 riflemen, 50 tanks,
    // 50 snipers; red 200 riflemen, 50 tanks, 50 snipers".
    std::string description() const;
    // The address's query that plays this battle again; while paused, at this moment (or the
    // one it is playing ahead to).
    std::string query() const;
    // What was wrong with the address, or that neither army has a unit; empty otherwise.
    std::string message() const;
    std::string countdown() const;  // "Reinforcements in 2999"
    // Once a base has fallen, what the field's results panel shows, as JSON for the page:
    // {"eliminated":"Blue Team","length":"0:36.0","frames":2160,"left":[[riflemen,snipers,
    // tanks] of red, the same of blue],"seed":11}. Empty while both bases stand.
    std::string results() const;
    const WatchedBattle& watched() const { return watched_; }
    const Battle& battle() const { return watched_.battle(); }

    // ---- held frame by frame (tests, measurements) ----
    // Starts the battle again from its seed, with the clock held: from now on a tick comes due
    // only through step.
    void hold();
    // Frames as frame() runs them, each with one tick due.
    void step(int frames);
    // Starts the battle again, held, and plays it frame by frame with nothing drawn until a
    // base falls or maxFrames have run, folding the state digest of every frame into a chain.
    std::uint64_t digestChain(int maxFrames);
    // Starts the battle again, held, and moves about it as a viewer does (::seekChain).
    std::uint64_t seekChain(unsigned scriptSeed, int moves);

private:
    void draw();
    void handOver();  // the frame in the pixel buffer into rgba_, at the shown size
    void newBattle();     // after the battle was replaced: nothing left of playing ahead
    void goAhead();       // plays on towards the goal, for kAheadMilliseconds at most

    PixelCanvas canvas_;                // what every frame is drawn into
    WatchedBattle watched_;             // the battle, its timeline, speed, pause and the endless show
    std::function<double()> clock_;     // milliseconds
    ClockTicks ticks_;                  // due ticks, read off the clock
    std::optional<int> goal_;           // the frame a move into the unseen is playing ahead to
    bool grabbed_ = false;              // the viewer holds the timeline's handle
    std::string addressError_;          // what was wrong with the address, if anything
    int shownWidth_ = kScreenWidth;     // the size rgba_ holds the frame at
    int shownHeight_ = kScreenHeight;
    std::vector<std::uint32_t> rgba_;   // the last drawn frame, byte order R, G, B, A
    std::vector<std::uint16_t> shown_;  // the whole frame's pixels, to see what the next one changes
    // Shrunk: the average of the frame (which keeps the last frame itself), and its pixels.
    std::unique_ptr<AreaScaler> scaler_;
    std::vector<std::uint16_t> scaled_;
    std::vector<const std::uint16_t*> frameRows_;
    std::vector<std::uint16_t*> scaledRows_;
};
