// Rollouts: their seeds, and the same counts however the work is cut up or whoever watched.

#include <gtest/gtest.h>

#include "game/Battle.h"
#include "game/OddsRun.h"
#include "game/Rollout.h"

namespace {

Battle playedTo(int frame, bool watched, const UnitCounts& counts = UnitCounts(), unsigned seed = 11)
{
    Battle battle(counts, seed);
    battle.setWatched(watched);
    while (Timeline::frameOf(battle) < frame && !battle.over()) battle.frame();
    return battle;
}

}  // namespace

// Values of splitmix64 worked out apart from this code: its first number from the state 0 is
// 0xe220a8397b1dcdaf, the others by a few lines of Python.
TEST(OddsRunTest, RolloutSeedsAreSplitmix64)
{
    EXPECT_EQ(rolloutSeed(0, 0, 0), 0x7b1dcdafu);
    EXPECT_EQ(rolloutSeed(11, 0, 0), 1656755946u);
    EXPECT_EQ(rolloutSeed(11, 600, 5), 896726777u);
    EXPECT_EQ(rolloutSeed(1, 36000, 1), 3565329642u);
    EXPECT_EQ(rolloutSeed(4294967295u, 2147483647, 63), 1211522034u);
}

// At 0:48 of seed 11 either side may win. The counts of 8 rollouts played one by one, a few
// frames at a time, in two pieces, and from the same moment of the battle nobody watched.
TEST(OddsRunTest, TheSameCountsHoweverTheyArePlayed)
{
    const Battle watched = playedTo(2880, true);
    OddsRun whole(watched, 8);
    while (whole.runOne()) {
    }
    const OddsCounts& counts = whole.counts();
    EXPECT_EQ(counts.frame, 2880);
    EXPECT_EQ(counts.rollouts, 8);
    EXPECT_GT(counts.red, 0);
    EXPECT_GT(counts.blue, 0);
    EXPECT_FALSE(whole.runOne());

    OddsRun byFrames(watched, 8);
    int calls = 1;
    for (; !byFrames.advance(997); ++calls) ASSERT_LT(calls, 1000);
    EXPECT_EQ(byFrames.counts(), counts);
    EXPECT_GT(calls, 8) << "advance stops within a rollout";

    OddsRun first(watched, 3), rest(watched, 5, 3);
    while (first.runOne() || rest.runOne()) {
    }
    OddsCounts pieces = first.counts();
    pieces.add(rest.counts());
    EXPECT_EQ(pieces, counts);

    OddsRun unwatched(playedTo(2880, false), 8);
    while (unwatched.runOne()) {
    }
    EXPECT_EQ(unwatched.counts(), counts) << "the particles nobody sees change nothing";
}

// Rollouts end at frame 36000 exactly; those of a battle that is over need no frame at all.
TEST(OddsRunTest, TheHorizonAndABattleThatIsOver)
{
    OddsRun empty(playedTo(kRolloutHorizon - 10, true, UnitCounts::bothSides(0, 0, 0), 5), 2);
    EXPECT_FALSE(empty.advance(10));
    EXPECT_EQ(empty.counts(), (OddsCounts{kRolloutHorizon - 10, 1, 0, 0, 1}));
    EXPECT_FALSE(empty.advance(9));
    EXPECT_EQ(empty.counts().rollouts, 1);
    EXPECT_TRUE(empty.advance(1));
    EXPECT_EQ(empty.counts(), (OddsCounts{kRolloutHorizon - 10, 2, 0, 0, 2}));

    const Battle over = playedTo(kRolloutHorizon, false);
    ASSERT_TRUE(over.over());
    OddsRun certain(over, 5);
    EXPECT_TRUE(certain.advance(0));
    EXPECT_EQ(certain.counts(), (OddsCounts{over.endPass(), 5, 5, 0, 0})) << "red won seed 11";
}
