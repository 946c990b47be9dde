// The page's battle runs on a clock that is read, not on a timer: ticks come due as the clock
// moves, also while a pass runs, so the desktop's catch-up rule holds as it is.

#include <gtest/gtest.h>

#include "game/StateDigest.h"
#include "web/PageBattle.h"

namespace {

// A page on a clock the test moves; each look at it may move it on by `perLook` too.
struct PageOnAClock {
    double now = 1000.0;
    double perLook = 0.0;
    PageBattle page{readPageAddress("7", "10,2,3,10,2,3", nullptr), 1, [this] { return now += perLook; }};
};

}  // namespace

TEST(PageBattle, RunsThePassesTheClockHasMadeDueWithTheDesktopsCatchUp)
{
    PageOnAClock clocked;
    PageBattle& page = clocked.page;
    EXPECT_FALSE(page.frame()) << "no tick is due before the clock moves";
    EXPECT_EQ(page.battle().passes(), 0);

    clocked.now += 50.0;  // three ticks of 1/60 s
    EXPECT_TRUE(page.frame());
    EXPECT_EQ(page.battle().passes(), 3) << "all three are caught up while none comes due meanwhile";
    EXPECT_FALSE(page.frame());

    // A clock that moves a whole tick on at every look: a tick comes due during every pass, so
    // a frame catches up one pass at a time and the backlog never grows into a spiral.
    clocked.now += 1000.0;
    clocked.perLook = 1000.0 / 60;
    const int before = page.battle().passes();
    EXPECT_TRUE(page.frame());
    EXPECT_EQ(page.battle().passes(), before + 1);

    // A key drops the ticks due, and the frame after it does not wait for the next tick (with
    // a clock that stands still, waiting would never end): the browser asks again.
    clocked.perLook = 0.0;
    clocked.now += 100.0;
    page.pressKey('+');
    EXPECT_FALSE(page.frame());
    clocked.now += 1000.0 / 60;
    EXPECT_TRUE(page.frame());
    EXPECT_EQ(page.battle().passes(), before + 3) << "one tick at 2x";
}

// A move into what was never seen plays ahead a slice a frame, and lands on the battle played there.
TEST(PageBattle, PlaysAheadToAnUnseenMomentASliceAtATimeAndLandsOnTheBattlePlayedThere)
{
    PageOnAClock clocked;
    clocked.perLook = PageBattle::kAheadMilliseconds / 4;  // four looks at the clock, four slices a frame
    PageBattle& page = clocked.page;
    page.seekTo(2000);
    int frames = 0;  // each with a second of ticks due, that are not run while playing ahead
    for (clocked.now += 1000.0; page.goal() == 2000; ++frames, clocked.now += 1000.0) ASSERT_TRUE(page.frame());
    EXPECT_GE(frames, 3);
    Battle forward(page.battle().counts(), page.battle().seed());
    for (int n = 0; n < 2000; ++n) forward.frame();
    EXPECT_EQ(page.moment(), 2000);
    EXPECT_EQ(stateDigest(page.battle().field()), stateDigest(forward.field()));
}
