#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "lab/LabChart.h"

namespace {

BattleOutcome ended(int endFrame, int redLeft, int blueLeft)
{
    BattleOutcome o;
    o.winner = endFrame > 0 ? 0 : kNoTeam;
    o.endFrame = endFrame;
    o.left.units[0][kRiflemenKind] = redLeft;
    o.left.units[1][kSnipersKind] = blueLeft;
    return o;
}

std::vector<AliveSample> samples(std::vector<std::pair<int, int>> values)
{
    std::vector<AliveSample> list;
    for (auto [red, blue] : values) {
        AliveSample s;
        s.units[0] = red;
        s.units[1] = blue;
        list.push_back(s);
    }
    return list;
}

}  // namespace

// Battle A ends within its third second with 5 and 3 left; battle B within its fifth with 4
// and 0. After its end a battle counts with what it had left.
TEST(LabChartTest, EndedBattlesCountWithWhatTheyHadLeft)
{
    LabChart chart;
    chart.add(ended(100, 5, 3), samples({{10, 10}, {6, 8}}));
    chart.add(ended(200, 4, 0), samples({{10, 10}, {9, 9}, {7, 2}, {4, 1}}));
    const std::vector<LabChart::Point> points = chart.aliveSeries();
    ASSERT_EQ(points.size(), 5u);
    struct Expected {
        double seconds, redMean, redLow, redHigh, blueMean, blueLow, blueHigh;
    };
    const Expected expected[] = {
        {0, 10, 10, 10, 10, 10, 10},       {1, 7.5, 6.3, 8.7, 8.5, 8.1, 8.9},  // red 6 and 9, blue 8 and 9
        {2, 6, 5.2, 6.8, 2.5, 2.1, 2.9},                                       // red 5 (A's end) and 7, blue 3 and 2
        {3, 4.5, 4.1, 4.9, 2, 1.2, 2.8},                                       // red 5 and 4, blue 3 and 1
        {4, 4.5, 4.1, 4.9, 1.5, 0.3, 2.7},                                     // B's end: red 4, blue 0
    };
    for (size_t t = 0; t < points.size(); ++t) {
        SCOPED_TRACE("second " + std::to_string(t));
        const LabChart::Point& p = points[t];
        const Expected& e = expected[t];
        EXPECT_DOUBLE_EQ(p.seconds, e.seconds);
        EXPECT_NEAR(p.mean[0], e.redMean, 1e-9);
        EXPECT_NEAR(p.low[0], e.redLow, 1e-9);
        EXPECT_NEAR(p.high[0], e.redHigh, 1e-9);
        EXPECT_NEAR(p.mean[1], e.blueMean, 1e-9);
        EXPECT_NEAR(p.low[1], e.blueLow, 1e-9);
        EXPECT_NEAR(p.high[1], e.blueHigh, 1e-9);
    }
}

TEST(LabChartTest, LengthBinsAreRoundAndCoverEveryFinishedBattle)
{
    struct Case {
        std::vector<int> endFrames;  // 0: unfinished
        double width;
        double firstStart;
        std::vector<int> counts;
    };
    const Case cases[] = {
        // 10 s, 12.5 s, 30 s: a span of 20 s in 1 s bins from 10 s to 30 s.
        {{600, 750, 1800, 0}, 1, 10, {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        // 45 s and 190.2 s: 145.2 / 20 = 7.3 rounds up to 10 s bins, 40 s to 190 s.
        {{2700, 11412}, 10, 40, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        // All alike: one bin of 1 s.
        {{3000, 3000, 3000}, 1, 50, {3}},
        // 100 s to 300 s: exactly 10 s bins, the longest in a bin of its own.
        {{6000, 18000, 9000}, 10, 100, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        {{0, 0}, 1, 0, {}},
    };
    for (const Case& c : cases) {
        LabChart chart;
        for (int frames : c.endFrames) chart.add(ended(frames, 0, 0), {});
        SCOPED_TRACE("first end frame " + std::to_string(c.endFrames.front()));
        EXPECT_DOUBLE_EQ(chart.binWidth(), c.width);
        const std::vector<LabChart::Bin> bins = chart.lengthBins();
        std::vector<int> counts;
        for (const LabChart::Bin& bin : bins) counts.push_back(bin.count);
        EXPECT_EQ(counts, c.counts);
        if (!bins.empty()) {
            EXPECT_DOUBLE_EQ(bins.front().start, c.firstStart);
        }
    }
}

// The chart keeps tallies per second, not the battles. The series must be the one worked out
// from every battle's samples kept whole: the battle's own sample while it runs, its end's
// numbers from then on, sorted for the percentiles.
TEST(LabChartTest, TheSeriesFromTalliesIsTheSeriesFromEveryBattleKept)
{
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        LabChart chart;
        std::vector<std::vector<AliveSample>> kept;  // per battle, its end last
        const int battles = 1 + static_cast<int>(random() % 30);
        for (int b = 0; b < battles; ++b) {
            std::vector<std::pair<int, int>> values;
            const int seconds = static_cast<int>(random() % 12);
            for (int t = 0; t < seconds; ++t) values.push_back({static_cast<int>(random() % 9), static_cast<int>(random() % 9)});
            const BattleOutcome outcome =
                ended(random() % 4 == 0 ? 0 : 60 * seconds + 1, static_cast<int>(random() % 5), static_cast<int>(random() % 5));
            chart.add(outcome, samples(values));
            std::vector<AliveSample> whole = samples(values);
            AliveSample end;
            for (int team = 0; team < kSides; ++team) end.units[team] = outcome.left.side(team);
            whole.push_back(end);
            kept.push_back(whole);
        }
        size_t longest = 0;
        for (const auto& battle : kept) longest = std::max(longest, battle.size());
        const std::vector<LabChart::Point> points = chart.aliveSeries();
        ASSERT_EQ(points.size(), longest);
        for (size_t t = 0; t < longest; ++t) {
            for (int team = 0; team < kSides; ++team) {
                SCOPED_TRACE("round " + std::to_string(round) + ", second " + std::to_string(t) + ", team " +
                             std::to_string(team));
                std::vector<double> values;
                double total = 0;
                for (const auto& battle : kept) {
                    values.push_back(battle[std::min(t, battle.size() - 1)].units[team]);
                    total += values.back();
                }
                std::sort(values.begin(), values.end());
                EXPECT_NEAR(points[t].mean[team], total / battles, 1e-9);
                EXPECT_DOUBLE_EQ(points[t].low[team], percentile(values, 0.1));
                EXPECT_DOUBLE_EQ(points[t].high[team], percentile(values, 0.9));
            }
        }
    }
}
