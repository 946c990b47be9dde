#include <gtest/gtest.h>

#include <string>

#include "cli/ProgressBar.h"

TEST(ProgressBarTest, TextShowsTheRateAndTheTimeLeft)
{
    struct Case {
        int done, total;
        double seconds;
        int width;
        std::string expected;
    };
    const Case cases[] = {
        {50, 100, 10.0, 80,
         "[" + std::string(19, '#') + std::string(19, '.') + "] 50/100 battles, 5.0/s, about 0:10 left"},
        {0, 200, 0.0, 40, "[" + std::string(23, '.') + "] 0/200 battles"},
        {200, 200, 4.0, 60, "[" + std::string(33, '#') + "] 200/200 battles, 50.0/s"},
        {1, 1000, 4.0, 120,
         "[" + std::string(40, '.') + "] 1/1000 battles, 0.2/s, about 1:06:36 left"},  // 999 / 0.25 s
        {1, 2, 1.0, 20, "[] 1/2 battles, 1.0"},  // a narrow terminal: cut to the width
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgressBar::text(c.done, c.total, "battles", c.seconds, c.width), c.expected);
        EXPECT_LT(static_cast<int>(ProgressBar::text(c.done, c.total, "battles", c.seconds, c.width).size()), c.width);
    }
}
