#include <gtest/gtest.h>

#include <algorithm>

#include "app/Display.h"
#include "gfx/Canvas.h"

namespace {

struct DesktopCase {
    int desktopWidth, desktopHeight;
    int width, height;  // the picture expected
};

class PictureSizeTest : public ::testing::TestWithParam<DesktopCase> {};

}  // namespace

TEST_P(PictureSizeTest, FitsTheDesktopInTheBackBuffersShape)
{
    const DesktopCase c = GetParam();
    const PictureSize picture = pictureSizeFor(c.desktopWidth, c.desktopHeight);
    EXPECT_EQ(picture.width, c.width);
    EXPECT_EQ(picture.height, c.height);
    if (c.desktopWidth > 0 && c.desktopHeight > 0) {
        EXPECT_LE(picture.width, std::max(c.desktopWidth, kScreenWidth));
        EXPECT_LE(picture.height, std::max(c.desktopHeight, kScreenHeight));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, PictureSizeTest,
    ::testing::Values(
        // Large enough: the back buffer as it is, pixel for pixel.
        DesktopCase{1280, 1024, 1280, 1024}, DesktopCase{1920, 1080, 1280, 1024}, DesktopCase{2560, 1440, 1280, 1024},
        // Too short: the height decides.
        DesktopCase{1366, 768, 960, 768}, DesktopCase{1280, 800, 1000, 800}, DesktopCase{1600, 900, 1125, 900},
        DesktopCase{1920, 1000, 1250, 1000}, DesktopCase{800, 600, 750, 600},
        // Too narrow: the width decides.
        DesktopCase{1024, 768, 960, 768}, DesktopCase{1024, 1280, 1024, 819}, DesktopCase{1200, 1024, 1200, 960},
        // Unknown: taken as large enough.
        DesktopCase{0, 0, 1280, 1024}, DesktopCase{-1, 768, 1280, 1024}));
