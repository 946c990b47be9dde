#include <allegro.h>
#include <gtest/gtest.h>

#include <set>

#include "gfx/Canvas.h"
#include "bitmap/FrameScaler.h"
#include "support/TestWorld.h"

namespace {

// The picked source pixel of every shown pixel is read back from its value: the source holds
// its own pixel index, small enough for 16 bits.
constexpr int kSourceWidth = 160;
constexpr int kSourceHeight = 128;

BITMAP* indexedSource()
{
    BITMAP* source = create_bitmap_ex(kColourDepth, kSourceWidth, kSourceHeight);
    for (int y = 0; y < kSourceHeight; ++y) {
        for (int x = 0; x < kSourceWidth; ++x) putpixel(source, x, y, y * kSourceWidth + x);
    }
    return source;
}

class FrameScalerTest : public ::testing::Test {
protected:
    void SetUp() override { ensureHeadlessAllegro(); }
};

struct Scale {
    int width, height;
};

class FrameScalerSizeTest : public ::testing::TestWithParam<Scale> {
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

// Each shown pixel comes from the source pixel under it (a pixel of slack for the library's
// fixed-point steps), in order, from the first row and column to the last: the whole picture,
// in proportion, neither cut nor shifted nor mirrored.
TEST_P(FrameScalerSizeTest, EveryShownPixelIsTheSourcePixelUnderIt)
{
    const Scale to = GetParam();
    BITMAP* source = indexedSource();
    FrameScaler scaler(to.width, to.height);
    BITMAP* shown = scaler.fit(source);
    ASSERT_NE(shown, source);
    ASSERT_EQ(shown->w, to.width);
    ASSERT_EQ(shown->h, to.height);
    ASSERT_EQ(bitmap_color_depth(shown), kColourDepth);

    int misplaced = 0;
    int previousX = -1;
    for (int y = 0; y < to.height; ++y) {
        for (int x = 0; x < to.width; ++x) {
            const int index = getpixel(shown, x, y);
            const int sx = index % kSourceWidth;
            const int sy = index / kSourceWidth;
            // The shown pixel covers source x from x * sw / w to (x + 1) * sw / w.
            const bool inX =
                sx * to.width >= x * kSourceWidth - to.width && sx * to.width < (x + 1) * kSourceWidth + to.width;
            const bool inY =
                sy * to.height >= y * kSourceHeight - to.height && sy * to.height < (y + 1) * kSourceHeight + to.height;
            misplaced += !(inX && inY);
            if (y == 0) {
                EXPECT_GE(sx, previousX) << "columns out of order at x " << x;
                previousX = sx;
            }
        }
    }
    EXPECT_EQ(misplaced, 0);
    EXPECT_EQ(getpixel(shown, 0, 0), 0) << "the picture starts at the source's corner";
    const int last = getpixel(shown, to.width - 1, to.height - 1);
    EXPECT_GE(last % kSourceWidth, kSourceWidth - 1 - kSourceWidth / to.width - 1);
    EXPECT_GE(last / kSourceWidth, kSourceHeight - 1 - kSourceHeight / to.height - 1);
    destroy_bitmap(source);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrameScalerSizeTest,
                         ::testing::Values(Scale{120, 96}, Scale{125, 100}, Scale{75, 60}, Scale{159, 127},
                                           Scale{320, 256}));

TEST_F(FrameScalerTest, NoFeatureTwoPixelsWideIsLostOnSmallDesktops)
{
    // Bases, tanks and soldiers are at least 2 pixels across: scaled to a 1366 x 768 desktop's
    // 960 x 768 every one of them must still show, in its own colour (nothing is blended).
    BITMAP* frame = create_bitmap_ex(kColourDepth, kScreenWidth, kScreenHeight);
    clear_to_color(frame, 0);
    std::set<int> drawn;
    int colour = 1;
    for (int y = 1; y + 2 < kScreenHeight; y += 7) {
        for (int x = 2; x + 2 < kScreenWidth; x += 9, ++colour) {
            rectfill(frame, x, y, x + 1, y + 1, colour);
            drawn.insert(colour);
        }
    }
    FrameScaler scaler(960, 768);
    BITMAP* shown = scaler.fit(frame);
    std::set<int> seen;
    for (int y = 0; y < shown->h; ++y) {
        for (int x = 0; x < shown->w; ++x) {
            const int c = getpixel(shown, x, y);
            if (c != 0) seen.insert(c);
        }
    }
    EXPECT_EQ(seen, drawn);
    destroy_bitmap(frame);
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
