// Whole frames of seeded battles, drawn as the program shows them into a library bitmap (the
// desktop, the clips) and into a plain pixel buffer (the browser's page): not one pixel may
// differ, whatever the frame shows: terrain, units, shots and sparks, the countdown, the speed,
// "Paused", the game-over message and the results panel.

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>

#include "bitmap/MemoryCanvas.h"
#include "game/Battle.h"
#include "game/FrameRender.h"
#include "game/WatchedBattle.h"
#include "gfx/PixelCanvas.h"
#include "support/DrawnWorldTest.h"

namespace {

// Where the frames first differ, compared as colours (see the surfaces' own test), or "".
std::string firstDifference(BITMAP* bitmap, const PixelSurface& pixels)
{
    for (int y = 0; y < kScreenHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint16_t*>(bitmap->line[y]);
        for (int x = 0; x < kScreenWidth; ++x) {
            const int value = row[x];
            if (PixelSurface::pixelValue({getr16(value), getg16(value), getb16(value)}) != pixels.pixelAt(x, y)) {
                return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
            }
        }
    }
    return "";
}

struct FrameCase {
    const char* name;
    UnitCounts counts;
    unsigned seed;
    int speedSteps;  // faster (+) or slower (-) than 1x
    bool paused;
    int frames[3];  // logical frames after which the frame is drawn and compared, ascending
};

}  // namespace

TEST(FrameSurfaces, EveryShownFrameIsTheSameOnBothSurfaces)
{
    ensureHeadlessAllegro();
    const FrameCase cases[] = {
        {"seed 11", UnitCounts(), 11, 0, false, {1, 300, 1500}},
        {"seed 42 at 4x", UnitCounts(), 42, 2, false, {2, 700, 2400}},
        {"crowded, paused at 1/2x", UnitCounts::bothSides(900, 300, 300), 5, -1, true, {1, 120, 400}},
        // No blue army: the blue base falls within seconds, so the end and its panel show.
        {"the end", {300, 0, 50, 0, 0, 0}, 3, 0, false, {200, 1200, 1260}},
    };
    MemoryCanvas library;
    PixelCanvas buffer;
    for (const FrameCase& c : cases) {
        WatchedBattle watched(c.counts, c.seed);
        const Battle& battle = watched.battle();
        for (int n = 0; n < c.speedSteps; ++n) watched.faster();
        for (int n = 0; n > c.speedSteps; --n) watched.slower();
        if (c.paused) watched.togglePause();
        int played = 0;
        for (const int frame : c.frames) {
            for (; played < frame; ++played) watched.playFrame();
            drawShownFrame(watched, library.canvas());
            drawShownFrame(watched, buffer.canvas());
            EXPECT_EQ(firstDifference(library.bitmap(), buffer.pixels()), "") << c.name << ", frame " << frame;
        }
        if (std::string(c.name) == "the end") {
            EXPECT_TRUE(battle.over()) << "the end must be among the frames";
        }
    }
}
