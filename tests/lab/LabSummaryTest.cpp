#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "lab/LabSummary.h"

namespace {

BattleOutcome outcome(int winner, int endFrame, int redLeft, int blueLeft)
{
    BattleOutcome o;
    o.winner = winner;
    o.endFrame = endFrame;
    o.left.units[0][kRiflemenKind] = redLeft;
    o.left.units[1][kTanksKind] = blueLeft;
    return o;
}

}  // namespace

// By hand with z = 1.96, z^2 = 3.8415, n = 10:
//   0 of 10:  upper = (z^2/n) / (1 + z^2/n) = 0.38415 / 1.38415 = 0.2775
//   5 of 10:  centre 0.5, half = z / 1.38415 * sqrt(0.025 + 3.8415/400) = 1.41600 * 0.18602 = 0.2634
//  10 of 10:  the mirror of 0 of 10
TEST(LabSummaryTest, WilsonIntervalAgainstHandComputedValues)
{
    struct Case {
        long long successes, trials;
        double share, low, high;
    };
    const Case cases[] = {
        {0, 10, 0.0, 0.0, 0.2775},
        {5, 10, 0.5, 0.2366, 0.7634},
        {10, 10, 1.0, 0.7225, 1.0},
        {1, 1, 1.0, 0.2065, 1.0},  // z^2/(1+z^2) below 1: 1 - 3.8415/4.8415 = 0.2065
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.successes) + " of " + std::to_string(c.trials));
        const WilsonInterval w = wilsonInterval(c.successes, c.trials);
        EXPECT_DOUBLE_EQ(w.share, c.share);
        EXPECT_NEAR(w.low, c.low, 1e-4);
        EXPECT_NEAR(w.high, c.high, 1e-4);
        EXPECT_LE(w.low, w.share);
        EXPECT_GE(w.high, w.share);
    }
    // The exact ends are exact, not merely close.
    EXPECT_EQ(wilsonInterval(0, 10).low, 0.0);
    EXPECT_EQ(wilsonInterval(10, 10).high, 1.0);
}

TEST(LabSummaryTest, PercentilesInterpolateBetweenTheClosestRanks)
{
    struct Case {
        std::vector<double> sorted;
        double q, expected;
    };
    const Case cases[] = {
        {{7}, 0.5, 7},
        {{7}, 0.9, 7},
        {{1, 2, 3, 4}, 0.5, 2.5},                     // between the two middle values
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0.9, 9.1},  // rank 8.1: 9 + 0.1 * (10 - 9)
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0.1, 1.9},  // rank 0.9
        {{10, 20, 40}, 0.0, 10},
        {{10, 20, 40}, 1.0, 40},
        {{10, 20, 40}, 0.75, 30},  // rank 1.5
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(percentile(c.sorted, c.q), c.expected);
}

// Four battles: red wins two, blue one, one unfinished. The lengths in frames are 600, 1200
// and 6000 (10 s, 20 s, 100 s): mean 43.3 s, median 20 s, 90th percentile at rank 1.8 is
// 20 + 0.8 * 80 = 84 s.
TEST(LabSummaryTest, TableOfASmallRun)
{
    const std::vector<BattleOutcome> outcomes = {
        outcome(0, 1200, 4, 0),
        outcome(kNoTeam, 0, 2, 6),
        outcome(1, 6000, 0, 3),
        outcome(0, 600, 10, 1),
    };
    const LabSummary summary(outcomes);
    EXPECT_EQ(summary.battles, 4);
    EXPECT_EQ(summary.wins[0], 2);
    EXPECT_EQ(summary.wins[1], 1);
    EXPECT_EQ(summary.unfinished, 1);
    EXPECT_NEAR(summary.meanSeconds(), 130.0 / 3, 1e-9);
    EXPECT_DOUBLE_EQ(summary.percentileSeconds(0.5), 20.0);
    EXPECT_DOUBLE_EQ(summary.percentileSeconds(0.9), 84.0);
    EXPECT_DOUBLE_EQ(summary.meanLeftSide(0), 4.0);  // (4 + 2 + 0 + 10) / 4
    EXPECT_DOUBLE_EQ(summary.meanLeftSide(1), 2.5);  // (0 + 6 + 3 + 1) / 4
    EXPECT_DOUBLE_EQ(summary.meanLeft(1, kTanksKind), 2.5);
    EXPECT_DOUBLE_EQ(summary.meanLeft(1, kRiflemenKind), 0.0);

    // Wilson for 2 of 4: centre 0.5, half 0.35; 1 of 4: centre 0.3725, half 0.3269.
    EXPECT_EQ(formatSummary(summary),
              "battles               4\n"
              "red wins              2   50.0%   95% CI  15.0% to  85.0%\n"
              "blue wins             1   25.0%   95% CI   4.6% to  69.9%\n"
              "unfinished            1   25.0%   95% CI   4.6% to  69.9%\n"
              "battle length    mean 43.3 s   median 20.0 s   90th percentile 84.0 s   (3 with a fallen base)\n"
              "units left, mean red  4.0   (riflemen 4.0, snipers 0.0, tanks 0.0)\n"
              "                 blue 2.5   (riflemen 0.0, snipers 0.0, tanks 2.5)\n");

    // The order of the battles does not change a thing.
    const std::vector<BattleOutcome> reversed(outcomes.rbegin(), outcomes.rend());
    EXPECT_EQ(formatSummary(LabSummary(reversed)), formatSummary(summary));
}

TEST(LabSummaryTest, NoBattlesAndNoFallenBase)
{
    EXPECT_EQ(formatSummary(LabSummary()),
              "battles               0\n"
              "red wins              0\n"
              "blue wins             0\n"
              "unfinished            0\n"
              "battle length    no base fell\n");
    const std::string unfinished = formatSummary(LabSummary({outcome(kNoTeam, 0, 1, 1)}));
    EXPECT_NE(unfinished.find("unfinished            1  100.0%"), std::string::npos) << unfinished;
    EXPECT_NE(unfinished.find("battle length    no base fell\n"), std::string::npos) << unfinished;
}

// The summary keeps tallies, not the battles: a percentile read off a tally must be the one
// read off the same values sorted.
TEST(LabSummaryTest, APercentileOfATallyIsThePercentileOfTheValuesSorted)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const int count = 1 + static_cast<int>(random() % 40);
        const int spread = 1 + static_cast<int>(random() % 15);  // few values: many repeats
        std::vector<double> values;
        Tally tally;
        for (int n = 0; n < count; ++n) {
            const int value = static_cast<int>(random() % spread) * 37;
            values.push_back(value);
            ++tally[value];
        }
        std::sort(values.begin(), values.end());
        for (double q : {0.0, 0.1, 0.25, 0.5, 0.73, 0.9, 0.99, 1.0}) {
            SCOPED_TRACE("round " + std::to_string(round) + ", q " + std::to_string(q));
            EXPECT_DOUBLE_EQ(percentile(tally, q), percentile(values, q));
        }
    }
    EXPECT_EQ(percentile(Tally(), 0.5), 0.0);
}
