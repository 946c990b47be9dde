#include <allegro.h>

#include <string>
#include <vector>

#include "game/Battle.h"
#include "game/Countdown.h"
#include "game/FrameRender.h"
#include "game/WatchedBattle.h"
#include "game/ResultsPanel.h"
#include "game/TimelineBar.h"
#include "support/DrawnWorldTest.h"

namespace {

// A copy of the back buffer as it is now.
BITMAP* copyOf(BITMAP* source)
{
    BITMAP* copy = create_bitmap_ex(kColourDepth, source->w, source->h);
    blit(source, copy, 0, 0, 0, 0, source->w, source->h);
    return copy;
}

// Pixels that differ between two full-screen bitmaps; where the first one is, in `first`.
int differing(BITMAP* a, BITMAP* b, int* firstX = nullptr, int* firstY = nullptr)
{
    int count = 0;
    for (int y = 0; y < a->h; ++y) {
        for (int x = 0; x < a->w; ++x) {
            if (getpixel(a, x, y) == getpixel(b, x, y)) continue;
            if (count++ == 0 && firstX != nullptr) *firstX = x, *firstY = y;
        }
    }
    return count;
}

using ResultsPanelTest = DrawnWorldTest;

// The command line --seed 11 0 0 0 300 50 50: the blue base alone falls, in pass 589, as
// battle-lab --battles 1 --first-seed 11 0 0 0 300 50 50 reports it.
const UnitCounts kRedOnly{300, 0, 50, 0, 50, 0};

}  // namespace

TEST(ResultsPanelLengthTest, MinutesSecondsAndTenthsAsAStopwatchShowsThem)
{
    struct {
        int passes;
        const char* text;
    } const cases[] = {
        {0, "0:00.0"},   {5, "0:00.0"},    {6, "0:00.1"},    {59, "0:00.9"},   {60, "0:01.0"},
        {589, "0:09.8"}, {3599, "0:59.9"}, {3600, "1:00.0"}, {5113, "1:25.2"}, {216000, "60:00.0"},
    };
    for (const auto& c : cases) EXPECT_EQ(ResultsPanel::lengthText(c.passes), c.text) << c.passes << " passes";
}

TEST_F(ResultsPanelTest, FiguresOfABattleWhoseEndIsKnown)
{
    Battle battle(kRedOnly, 11);
    while (!battle.over() && battle.passes() < 6000) battle.frame();
    ASSERT_TRUE(battle.over());
    const std::vector<std::string> expected = {
        "Length    0:09.8 (589 frames)",
        "Units left Riflemen Snipers Tanks",
        "Red Team        298      50    49",
        "Blue Team         0       0     0",
        "Seed      11",
    };
    EXPECT_EQ(ResultsPanel(battle).lines(), expected);

    // The end stands still, and so do the figures.
    for (int n = 0; n < 100; ++n) battle.frame();
    EXPECT_EQ(ResultsPanel(battle).lines(), expected);
}

// Under the game-over message, which stays exactly as it was: a black box from y 528 with a
// grey edge, 8 pixels of room around the text, lines 12 pixels apart, centred on x 640.
TEST_F(ResultsPanelTest, TheShownFrameAddsThePanelUnderTheGameOverMessage)
{
    Battle battle(kRedOnly, 11);
    while (!battle.over() && battle.passes() < 6000) battle.frame();
    ASSERT_TRUE(battle.over());

    renderFrame(battle.field(), canvas());
    drawCountdownText(surface(), battle.reinforcementTimer());
    BITMAP* expected = copyOf(bitmap());
    // The widest line has 33 characters: 264 pixels, and 8 on each side. Under the five lines
    // (to y 591), 8 pixels of room, then the chart of the battle, 40 pixels high (600 to 639).
    rectfill(expected, 500, 528, 779, 647, makecol(0, 0, 0));
    rect(expected, 500, 528, 779, 647, makecol(128, 128, 128));
    const ResultsPanel panel(battle);
    for (size_t n = 0; n < panel.lines().size(); ++n) {
        textout_ex(expected, font, panel.lines()[n].c_str(), 508, 536 + 12 * static_cast<int>(n),
                   makecol(255, 255, 255), makecol(0, 0, 0));
    }
    const std::string message = "Game Over, the Blue Team has been eliminated!";
    int messageInk = 0;
    for (int x = 0; x < kScreenWidth; ++x) {
        for (int y = 512; y < 520; ++y) messageInk += getpixel(expected, x, y) == makecol(255, 0, 0);
    }
    EXPECT_GT(messageInk, 0) << "the game-over message is drawn";

    drawBattleFrame(battle, canvas());
    // The chart's lines run from the armies as deployed (400 red, 0 blue: the top and the foot of
    // the chart) to what is left: 397 red, 0 blue.
    const int red = makecol(255, 64, 64);
    const int blue = makecol(96, 96, 255);
    EXPECT_EQ(getpixel(bitmap(), 508, 600), red);
    EXPECT_EQ(getpixel(bitmap(), 771, 639 - 39 * 397 / 400), red);
    EXPECT_EQ(getpixel(bitmap(), 508, 639), blue);
    EXPECT_EQ(getpixel(bitmap(), 771, 639), blue);
    for (int cy = 600; cy <= 639; ++cy) {  // the lines' ink, and nothing else, in the chart
        for (int cx = 508; cx <= 771; ++cx) {
            const int ink = getpixel(bitmap(), cx, cy);
            if (ink == red || ink == blue) putpixel(expected, cx, cy, ink);
        }
    }
    int x = -1, y = -1;
    EXPECT_EQ(differing(bitmap(), expected, &x, &y), 0) << "first at (" << x << ", " << y << ")";
    destroy_bitmap(expected);
}

// The speed right under the countdown text, left-aligned as it is and clear of the red base, and "Paused" centred above
// the game-over message: white on black, and nothing else changes (at 1x, unpaused, with both
// bases standing, nothing at all: no panel either).
TEST_F(ResultsPanelTest, SpeedAndPauseTextsAreAllThePlaybackAdds)
{
    Battle battle(kRedOnly, 11);
    battle.frame();
    renderFrame(battle.field(), canvas());
    drawCountdownText(surface(), battle.reinforcementTimer());
    BITMAP* plain = copyOf(bitmap());

    struct {
        int faster, slower;
        bool paused;
        const char* speed;  // null: no speed text
    } const cases[] = {
        {0, 0, false, nullptr},      {2, 0, false, "Speed 4x"},   {3, 0, true, "Speed 8x"},
        {0, 1, false, "Speed 1/2x"}, {0, 2, false, "Speed 1/4x"}, {0, 0, true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.speed != nullptr ? c.speed : "1x");
        WatchedBattle watched(battle);
        for (int n = 0; n < c.faster; ++n) watched.faster();
        for (int n = 0; n < c.slower; ++n) watched.slower();
        if (c.paused) watched.togglePause();
        BITMAP* expected = copyOf(plain);
        if (c.speed != nullptr) {
            textout_ex(expected, font, c.speed, 640, 42, makecol(255, 255, 255), makecol(0, 0, 0));
        }
        if (c.paused) {
            textout_centre_ex(expected, font, "Paused", 640, 488, makecol(255, 255, 255), makecol(0, 0, 0));
        }
        drawShownFrame(watched, canvas());
        // While paused the timeline shows along the bottom: there, and only there, the frame
        // differs from the plain one besides the texts.
        int timelinePixels = 0;
        for (int y = TimelineBar::kTop; y <= TimelineBar::kBottom; ++y) {
            for (int x = 0; x < kScreenWidth; ++x) timelinePixels += getpixel(bitmap(), x, y) != getpixel(plain, x, y);
        }
        EXPECT_EQ(timelinePixels > 1000, c.paused);
        if (c.paused) {
            blit(bitmap(), expected, 0, TimelineBar::kTop, 0, TimelineBar::kTop, kScreenWidth,
                 TimelineBar::kBottom - TimelineBar::kTop + 1);
        }
        EXPECT_EQ(differing(bitmap(), expected), 0);
        destroy_bitmap(expected);
        // The red base's roof, under the texts at the top, is still seen whole.
        int roof = 0;
        for (int y = 51; y <= 55; ++y) {
            for (int x = 643; x <= 653; ++x) roof += getpixel(bitmap(), x, y) == makecol(255, 0, 0);
        }
        EXPECT_GE(roof, 25);
    }
    destroy_bitmap(plain);
}
