// The odds in threads, and the scores of forecasts.

#include <gtest/gtest.h>

#include <cmath>

#include "game/Battle.h"
#include "game/OddsRun.h"
#include "lab/ForecastScore.h"
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

// Chances of 3/4 and 1/4 for what came true, 0 for what did not, 1 for what did not (kept
// at 0.99 by the log loss), and 1/2 for no forecast at all.
TEST(OddsJobsTest, ForecastScoresByHand)
{
    ForecastScore score;
    score.add(3, 4, true);
    score.add(1, 4, true);
    score.add(0, 10, false);
    score.add(10, 10, false);
    score.add(0, 0, true);
    EXPECT_EQ(score.count(), 5);
    EXPECT_DOUBLE_EQ(score.brier(), (0.0625 + 0.5625 + 0 + 1 + 0.25) / 5);
    EXPECT_DOUBLE_EQ(score.logLoss(),
                     -(std::log(0.75) + std::log(0.25) + std::log(0.99) + std::log(0.01) + std::log(0.5)) / 5);
    const int counts[ForecastScore::kBins] = {1, 0, 1, 0, 0, 1, 0, 1, 0, 1};
    for (int b = 0; b < ForecastScore::kBins; ++b) EXPECT_EQ(score.bin(b).count, counts[b]) << "bin " << b;
    EXPECT_EQ(score.bin(9).cameTrue, 0);
    EXPECT_DOUBLE_EQ(score.bin(9).meanForecast(), 1.0);
    EXPECT_EQ(score.bin(2).shareTrue(), 1.0);
}
