// The scores of forecasts, and of the odds against the units alive.

#include <gtest/gtest.h>

#include <cmath>

#include "lab/Calibration.h"
#include "lab/ForecastScore.h"

// Chances of 3/4 and 1/4 for what came true, 0 for what did not, 1 for what did not (kept
// at 0.99 by the log loss), and 1/2 for no forecast at all.
TEST(CalibrationTest, ForecastScoresByHand)
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

// Red's chance, of the odds and of the units alive, scored against red winning; a battle over by
// the moment, or one nobody won, is counted apart.
TEST(CalibrationTest, CalibrationScoresRedsChanceOfUndecidedBattles)
{
    Calibration calibration({0, 600}, 4);
    const AliveSample alive{{30, 10}};
    calibration.add(1, {600, 4, 3, 1, 0}, alive, false, 0);
    calibration.add(1, {600, 4, 1, 3, 0}, alive, false, 1);
    calibration.add(1, {600, 4, 4, 0, 0}, alive, true, 0);
    calibration.add(1, {600, 4, 2, 2, 0}, alive, false, -1);
    const Calibration::Moment& moment = calibration.moments()[1];
    EXPECT_EQ(moment.frame, 600);
    EXPECT_EQ(moment.over, 1);
    EXPECT_EQ(moment.unfinished, 1);
    EXPECT_DOUBLE_EQ(moment.odds.brier(), (0.0625 + 0.0625) / 2);
    EXPECT_DOUBLE_EQ(moment.baseline.brier(), (0.0625 + 0.5625) / 2);
    EXPECT_EQ(calibration.allOdds().count(), 2);
    EXPECT_EQ(calibration.moments()[0].odds.count(), 0);
}
