// The odds in threads.

#include <gtest/gtest.h>

#include "game/Battle.h"
#include "game/OddsRun.h"
#include "lab/OddsJobs.h"

TEST(OddsJobsTest, TheSameCountsWithOneTwoAndFourJobs)
{
    Battle battle(UnitCounts(), 11);
    while (battle.passes() < 2880) battle.frame();
    OddsRun alone(battle, 8);
    while (alone.runOne()) {
    }
    for (const int jobs : {1, 2, 4}) {
        OddsCounts counts;
        int progress = -1;
        EXPECT_EQ(OddsJobs(jobs, nullptr).run(battle, 8, counts, [&](int done) { progress = done; }),
                  OddsJobs::Result::kDone);
        EXPECT_EQ(counts, alone.counts()) << jobs << " jobs";
        EXPECT_GE(progress, 0) << "progress is reported";
    }
    OddsCounts untouched{7, 1, 1, 0, 0};
    EXPECT_EQ(OddsJobs(2, [] { return true; }).run(battle, 16, untouched), OddsJobs::Result::kInterrupted);
    EXPECT_EQ(untouched, (OddsCounts{7, 1, 1, 0, 0})) << "an interrupted moment gives no counts";
}
