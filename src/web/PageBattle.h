#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/Battle.h"
#include "game/Playback.h"
#include "gfx/PixelCanvas.h"
#include "web/ClockTicks.h"
#include "web/PageAddress.h"

// The battle a browser's page shows: the battle of the address, run at 60 ticks a second with
// the desktop's catch-up rule and drawn as the desktop draws it, into a pixel buffer that is
// handed to the page as RGBA. The page calls frame once per picture the browser asks for, and
// passes on the viewer's keys and buttons.
class PageBattle {
public:
    // pickedSeed is played when the address gives none (or was bad); clock gives milliseconds.
    PageBattle(const PageAddress& address, unsigned pickedSeed, std::function<double()> clock);

    // ---- frames ----
    // When a tick is due, one frame as the desktop runs it (the catch-up, the countdown, the
    // keys' speed and pause, the endless show), drawn and turned into RGBA; returns whether a
    // frame was drawn. With no tick due nothing changes.
    bool frame();
    const std::uint32_t* rgba() const { return rgba_.data(); }  // kScreenWidth x kScreenHeight
    void dropDueTicks();  // the ticks that came due while nobody watched are not run

    // ---- the viewer ----
    // A key as the desktop takes it: ' ' pauses or goes on, '+' or '=' doubles the speed, '-'
    // halves it, '1' is normal speed. Other keys do nothing. The page's buttons press them too.
    void pressKey(char key);
    void nextBattle();  // the battle of the next seed, with the same counts

    // ---- what the page shows of it ----
    unsigned seed() const { return battle_.seed(); }
    std::string title() const { return windowTitle(battle_.seed()); }
    std::string query() const;  // the address's query that plays this battle again
    const std::string& message() const { return message_; }
    const Battle& battle() const { return battle_; }
    const Playback& playback() const { return playback_; }

    // ---- held frame by frame (tests, measurements) ----
    // Starts the battle again from its seed, with the clock held: from now on a tick comes due
    // only through step.
    void hold();
    // Frames as frame() runs them, each with one tick due.
    void step(int frames);
    // Starts the battle again, held, and plays it frame by frame with nothing drawn until a
    // base falls or maxFrames have run, folding the state digest of every frame into a chain.
    std::uint64_t digestChain(int maxFrames);

private:
    void draw();

    PixelCanvas canvas_;                // what every frame is drawn into
    Battle battle_;                     // the battle under way
    Playback playback_;                 // speed, pause, the endless show
    ClockTicks ticks_;                  // due ticks, read off the clock
    std::string message_;               // what was wrong with the address, if anything
    std::vector<std::uint32_t> rgba_;   // the last drawn frame, byte order R, G, B, A
    std::vector<std::uint16_t> shown_;  // the same frame's pixels, to see what the next one changes
};
