// The turning points of made-up courses, at the exact edges of the rule.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/Moment.h"
#include "game/TurningPoints.h"

namespace {

struct Sample {
    int frame;
    int red;  // rollouts won, of `rollouts`
    int blue;
    int rollouts = 100;
};

std::vector<OddsCounts> course(const std::vector<Sample>& samples)
{
    std::vector<OddsCounts> odds;
    for (const Sample& s : samples) odds.push_back({s.frame, s.rollouts, s.red, s.blue, s.rollouts - s.red - s.blue});
    return odds;
}

std::vector<std::string> named(const std::vector<TurningPoint>& points)
{
    std::vector<std::string> texts;
    for (const TurningPoint& point : points) texts.push_back(turningPointText(point));
    return texts;
}

}  // namespace

TEST(TurningPointsTest, OneSwingAtTheEdgesOfTheRule)
{
    struct Case {
        const char* what;
        std::vector<Sample> samples;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // 0.57 - 0.32 is less than 0.25 in floating point: the chances are compared exactly.
        {"exactly 25 points in exactly 600 frames", {{0, 32, 68}, {600, 57, 43}}, {"0:00 red 32% \u2192 57%"}},
        {"24 points", {{0, 32, 68}, {600, 56, 44}}, {}},
        {"601 frames", {{0, 20, 80}, {601, 90, 10}}, {}},
        {"the side that rose is named", {{120, 80, 20}, {420, 40, 60}}, {"0:02 blue 20% \u2192 60%"}},
        {"25 points between 64 and 32 rollouts", {{0, 16, 48, 64}, {600, 16, 16, 32}}, {"0:00 red 25% \u2192 50%"}},
        {"halves round up", {{0, 1, 7, 8}, {60, 5, 3, 8}}, {"0:00 red 13% \u2192 63%"}},
        {"unfinished rollouts are nobody's", {{0, 30, 30}, {600, 55, 30}}, {"0:00 red 30% \u2192 55%"}},
        {"moments without rollouts are passed over", {{0, 0, 0, 0}, {60, 50, 50}, {120, 0, 0, 0}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(named(turningPoints(course(c.samples))), c.expected);
    }
}

// Swings of 70, 70 (a longer one), 40, 30, 30, 30 (a longer one) and 26 points: the largest
// first, at least 600 frames apart (exactly 600 is enough, 599 is not), three at most.
TEST(TurningPointsTest, TheThreeLargestTenSecondsApart)
{
    std::vector<OddsCounts> odds = course({{0, 50, 50},
                                           {60, 90, 10},
                                           {600, 90, 10},
                                           {660, 20, 80},
                                           {1199, 20, 80},
                                           {1259, 50, 50},
                                           {2000, 50, 50},
                                           {2060, 80, 20},
                                           {4000, 80, 20},
                                           {4060, 54, 46}});
    const std::vector<std::string> expected = {"0:10 blue 10% \u2192 80%", "0:00 red 50% \u2192 90%",
                                               "0:33.3 red 50% \u2192 80%"};
    const std::vector<TurningPoint> points = turningPoints(odds);
    EXPECT_EQ(named(points), expected);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].until, 660);
    EXPECT_EQ(points[0].team, 1);
    std::reverse(odds.begin(), odds.end());
    EXPECT_EQ(named(turningPoints(odds)), expected) << "in any order";
    odds.pop_back();  // without the swing of 40 points at 0:00, the one of 26 is third
    EXPECT_EQ(named(turningPoints(odds)),
              (std::vector<std::string>{"0:10 blue 10% \u2192 80%", "0:33.3 red 50% \u2192 80%",
                                        "1:06.6 blue 20% \u2192 46%"}));
}

TEST(TurningPointsTest, MomentTextsReadBackAsTheirMoments)
{
    const std::pair<int, const char*> cases[] = {{0, "0:00"},          {59, "0:00.9"},     {2520, "0:42"},
                                                 {2526, "0:42.1"},      {3599, "0:59.9"},   {215999, "59:59.9"},
                                                 {216000, "1:00:00"},   {223206, "1:02:00.1"}};
    for (const auto& [frame, text] : cases) {
        EXPECT_EQ(momentText(frame), text);
        EXPECT_EQ(parseMoment(text), frame - frame % 6) << text;
    }
}
