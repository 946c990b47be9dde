// The page's battle runs on a clock that is read, not on a timer: ticks come due as the clock
// moves, also while a pass runs, so the desktop's catch-up rule holds as it is.

#include <gtest/gtest.h>

#include <cstdint>

#include "game/Battle.h"
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
}

TEST(PageBattle, HeldItPlaysTheBattleOfItsAddressFrameByFrameAsTheDesktopDoes)
{
    std::uint64_t desktopDigest = 0;
    {
        Battle desktop({10, 10, 2, 2, 3, 3}, 7);  // red 10, blue 10, tanks 2 and 2, snipers 3 and 3
        for (int n = 0; n < 200; ++n) desktop.frame();
        desktopDigest = stateDigest(desktop.field());
    }
    PageOnAClock clocked;
    PageBattle& page = clocked.page;
    clocked.now += 5000.0;
    page.frame();  // some real-time play first, which holding starts over
    page.hold();
    page.step(200);
    EXPECT_EQ(page.battle().passes(), 200);
    EXPECT_EQ(stateDigest(page.battle().field()), desktopDigest);
    EXPECT_EQ(page.query(), "?seed=7&counts=10,2,3,10,2,3");
    EXPECT_EQ(page.title(), "Battle - seed 7");
    page.pressKey(' ');
    page.step(5);
    EXPECT_EQ(page.battle().passes(), 200) << "paused";
    page.pressKey(' ');
    page.pressKey('+');
    page.step(5);
    EXPECT_EQ(page.battle().passes(), 210) << "two frames a tick at 2x";
    page.nextBattle();
    EXPECT_EQ(page.seed(), 8u);
    EXPECT_EQ(page.query(), "?seed=8&counts=10,2,3,10,2,3");
}
