#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "gfx/Canvas.h"
#include "bitmap/FrameScaler.h"
#include "support/DrawnWorldTest.h"

namespace {

class FrameScalerTest : public ::testing::Test {
protected:
    void SetUp() override { ensureHeadlessAllegro(); }
};

}  // namespace

TEST_F(FrameScalerTest, AFrameOfTheShownSizeIsShownAsItIs)
{
    BITMAP* frame = create_bitmap_ex(kColourDepth, kScreenWidth, kScreenHeight);
    FrameScaler scaler(kScreenWidth, kScreenHeight);
    EXPECT_EQ(scaler.fit(frame), frame);
    destroy_bitmap(frame);
}

// The strokes of the 8 x 8 font are one pixel wide. Scaled to the pictures of small desktops,
// a white line one pixel thin, in any row or column of the frame, covers a share s of a shown
// line (s the scale), or two parts of it in two shown lines: it must show with at least half
// that share of white, less a step of the 5-bit red (picking the nearest pixel drops one row
// and column in four at 960 x 768).
TEST_F(FrameScalerTest, NoRowOrColumnOfTheFrameIsLost)
{
    for (const auto& [width, height] : {std::pair{960, 768}, std::pair{1000, 800}}) {
        BITMAP* frame = create_bitmap_ex(kColourDepth, kScreenWidth, kScreenHeight);
        clear_to_color(frame, 0);
        FrameScaler scaler(width, height);
        const int white = makecol16(255, 255, 255);
        for (const bool row : {true, false}) {
            const int lines = row ? kScreenHeight : kScreenWidth;
            int lost = 0;
            for (int at = 0; at < lines; ++at) {
                row ? hline(frame, 0, at, kScreenWidth - 1, white) : vline(frame, at, 0, kScreenHeight - 1, white);
                BITMAP* shown = scaler.fit(frame);
                // The shown lines the frame's line lies under, each as bright from end to end.
                const int first = at * (row ? height : width) / lines;
                const int last = std::min((at + 1) * (row ? height : width) / lines, (row ? height : width) - 1);
                int brightest = 0;
                for (int n = first; n <= last; ++n) {
                    brightest = std::max(brightest, getr16(row ? getpixel(shown, width / 2, n) : getpixel(shown, n, height / 2)));
                }
                lost += brightest < 255 * width / kScreenWidth / 2 - 9;
                row ? hline(frame, 0, at, kScreenWidth - 1, 0) : vline(frame, at, 0, kScreenHeight - 1, 0);
            }
            EXPECT_EQ(lost, 0) << width << "x" << height << (row ? " rows" : " columns");
        }
        destroy_bitmap(frame);
    }
}

TEST_F(FrameScalerTest, EachFrameIsScaledAnew)
{
    BITMAP* frame = create_bitmap_ex(kColourDepth, kScreenWidth, kScreenHeight);
    FrameScaler scaler(960, 768);
    clear_to_color(frame, makecol16(255, 0, 0));
    EXPECT_EQ(getpixel(scaler.fit(frame), 480, 384), makecol16(255, 0, 0));
    clear_to_color(frame, makecol16(0, 0, 255));
    BITMAP* shown = scaler.fit(frame);
    EXPECT_EQ(getpixel(shown, 0, 0), makecol16(0, 0, 255));
    EXPECT_EQ(getpixel(shown, 959, 767), makecol16(0, 0, 255));
    destroy_bitmap(frame);
}
