// The odds of a watched battle: which moment is worked out next, what is shown at a moment, and
// the turning points the keys move between.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "game/OddsBar.h"
#include "game/OddsCourse.h"
#include "game/OddsRun.h"
#include "game/WatchedBattle.h"
#include "gfx/PixelCanvas.h"

namespace {

OddsCounts moment(int frame, int red)
{
    return {frame, 100, red, 100 - red, 0};
}

}  // namespace

// Newest first: the moment shown (rounded down to a second), then what was seen beyond it, and
// the end of the battle before any other moment once it has been seen.
TEST(OddsCourseTest, TheNewestMomentSeenIsWantedFirst)
{
    struct {
        std::vector<int> known;
        std::optional<int> taken;
        int shown, seen;
        std::optional<int> end;
        std::optional<int> wanted;
    } const cases[] = {
        {{}, {}, 0, 0, {}, 0},
        {{}, {}, 59, 59, {}, 0},
        {{}, {}, 60, 60, {}, 60},
        {{}, {}, 179, 400, {}, 120},
        {{120}, {}, 179, 400, {}, 60},
        {{0, 60, 120}, {}, 179, 400, {}, 360},
        {{0, 60, 120}, 360, 179, 400, {}, 300},
        {{0}, {}, 0, 0, {}, {}},
        {{}, {}, 130, 130, 130, 130},    // the fall of a base, seen
        {{}, 130, 130, 130, 130, 120},   // being worked out
        {{}, {}, 60, 130, 130, 60},      // shown before the end: that moment first
        {{0, 60}, {}, 60, 130, 130, 130},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << n++);
        OddsCourse course;
        for (const int frame : c.known) ASSERT_TRUE(course.add(course.generation(), moment(frame, 50)));
        if (c.taken) course.take(*c.taken);
        EXPECT_EQ(course.wanted(c.shown, c.seen, c.end), c.wanted);
    }
}

// What the bar shows at a moment is the newest moment known at or before it; counts of the
// battle before a replacement are refused.
TEST(OddsCourseTest, AMomentShowsTheNewestOddsKnownAndOldBattlesAreRefused)
{
    OddsCourse course;
    const unsigned first = course.generation();
    ASSERT_TRUE(course.add(first, moment(60, 10)));
    ASSERT_TRUE(course.add(first, moment(180, 90)));
    EXPECT_EQ(course.at(59), nullptr);
    EXPECT_EQ(course.at(60)->red, 10);
    EXPECT_EQ(course.at(179)->red, 10);
    EXPECT_EQ(course.at(180)->red, 90);
    course.reset();
    EXPECT_FALSE(course.add(first, moment(240, 50)));
    EXPECT_EQ(course.at(1000), nullptr);
}

// [ and ] go to the turning point before or after the moment shown, none past the last.
TEST(OddsCourseTest, TheKeysFindTheTurningPointsAroundAMoment)
{
    OddsCourse course;
    const std::vector<OddsCounts> moments = {moment(0, 50),    moment(600, 90),   moment(1800, 90),
                                             moment(2400, 40), moment(4800, 40), moment(5400, 80)};
    for (const OddsCounts& m : moments) course.add(course.generation(), m);
    ASSERT_EQ(course.turningPoints().size(), 3u);
    EXPECT_EQ(course.turningPointNear(0, 1), std::optional<int>(1800));
    EXPECT_EQ(course.turningPointNear(1800, 1), std::optional<int>(4800));
    EXPECT_EQ(course.turningPointNear(1800, -1), std::optional<int>(0));
    EXPECT_EQ(course.turningPointNear(4800, 1), std::nullopt);
    EXPECT_EQ(course.turningPointNear(0, -1), std::nullopt);
}

// The watched battle's odds of a moment, worked out from a keyframe after the battle went on,
// are those of a run from a copy of the battle at that moment.
TEST(OddsCourseTest, AMomentWorkedOutLaterEqualsItsRunAtTheTime)
{
    const UnitCounts counts = UnitCounts::bothSides(40, 8, 8);
    WatchedBattle watched(counts, 11);
    watched.toggleOdds();
    for (int n = 0; n < 200; ++n) watched.playFrame();
    // Wanted first: 180, worked out from the keyframe at 120, the battle being at 200.
    std::optional<OddsWork> work = watched.takeOddsWork(8);
    ASSERT_TRUE(work);
    ASSERT_EQ(work->frame(), 180);
    work->runAll();
    watched.addOdds(*work);

    Battle at180(counts, 11);
    for (int n = 0; n < 180; ++n) at180.frame();
    OddsRun direct(at180, 8);
    while (direct.runOne()) {
    }
    ASSERT_NE(watched.odds().at(180), nullptr);
    EXPECT_EQ(*watched.odds().at(180), direct.counts());
    EXPECT_EQ(direct.counts().rollouts, 8);
}

// The desktop's bar: shares rounded half up, red from the left edge, blue to the right edge.
TEST(OddsCourseTest, TheBarSplitsItsWidthByTheSharesRoundedHalfUp)
{
    const struct {
        int won, rollouts;
        const char* text;
    } shares[] = {{17, 32, "53%"}, {1, 8, "13%"}, {1, 3, "33%"}, {0, 32, "0%"}, {32, 32, "100%"}, {0, 0, "--%"}};
    for (const auto& s : shares) EXPECT_EQ(OddsBar::percentText(s.won, s.rollouts), s.text) << s.won << "/" << s.rollouts;
    PixelCanvas canvas;
    const OddsCounts odds{1800, 32, 17, 12, 3};  // red 212.5 columns, blue 150, grey between
    OddsBar(&odds).draw(canvas.canvas().backBuffer());
    auto at = [&canvas](int x) { return canvas.pixels().pixels()[14 * kScreenWidth + x]; };
    const std::uint16_t red = 0xf800, blue = 0x001f, grey = 0x8410;
    EXPECT_EQ(at(440), red);
    EXPECT_EQ(at(652), red);
    EXPECT_EQ(at(653), grey);
    EXPECT_EQ(at(689), grey);
    EXPECT_EQ(at(690), blue);
    EXPECT_EQ(at(839), blue);
    EXPECT_NE(at(840), grey);
}
