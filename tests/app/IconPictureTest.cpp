#include <allegro.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/IconPicture.h"
#include "bitmap/BitmapSurface.h"
#include "support/DrawnWorldTest.h"

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb at(const IconPicture& icon, int x, int y)
{
    const auto i = (static_cast<std::size_t>(y) * icon.size() + x) * 3;
    return {icon.rgb()[i], icon.rgb()[i + 1], icon.rgb()[i + 2]};
}

}  // namespace

// The world and canvas of the test stay in force, untouched, around the icon's drawing.
class IconPictureTest : public DrawnWorldTest {};

TEST_F(IconPictureTest, ZoomIsTheLargestWholeNumberThatShowsTheScene)
{
    const struct {
        int size, zoom;
    } cases[] = {{48, 1}, {50, 1}, {64, 1}, {95, 1}, {96, 2}, {128, 2}, {144, 3}, {256, 4}, {512, 8}};
    for (const auto& c : cases) EXPECT_EQ(IconPicture::zoomFor(c.size), c.zoom) << c.size;
    EXPECT_THROW(IconPicture(47), std::invalid_argument);
    EXPECT_THROW(IconPicture(0), std::invalid_argument);
    EXPECT_THROW(IconPicture(4099), std::invalid_argument);  // wider than the field around the scene
}

TEST_F(IconPictureTest, LargerSizesEnlargeTheSamePicturePixelForPixel)
{
    const IconPicture small(48);
    const IconPicture large(128);  // zoom 2: 64 drawn pixels, 8 of ground on each side of the scene
    ASSERT_EQ(small.rgb().size(), 48u * 48u * 3u);
    ASSERT_EQ(large.rgb().size(), 128u * 128u * 3u);
    for (int y = 0; y < 128; y += 2) {
        for (int x = 0; x < 128; x += 2) {
            ASSERT_TRUE(at(large, x, y) == at(large, x + 1, y + 1)) << x << ", " << y;
            ASSERT_TRUE(at(large, x, y) == at(large, x + 1, y)) << x << ", " << y;
            ASSERT_TRUE(at(large, x, y) == at(large, x, y + 1)) << x << ", " << y;
        }
    }
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x)
            ASSERT_TRUE(at(small, x, y) == at(large, 16 + 2 * x, 16 + 2 * y)) << x << ", " << y;
    }
}

TEST_F(IconPictureTest, ShowsTheBlueBaseAndTheBombardingRedTank)
{
    const IconPicture icon(48);
    // The base stands in the middle cell of the bottom row, the red tank in the middle of the
    // top row with the white box of a bombarding tank and a dark red line down to the base.
    EXPECT_TRUE(at(icon, 24, 42) == (Rgb{0, 0, 255}));
    EXPECT_TRUE(at(icon, 22, 7) == (Rgb{255, 255, 255}));
    const Rgb line = at(icon, 24, 24);
    EXPECT_GT(line.r, 64);
    EXPECT_EQ(line.g + line.b, 0);
    const Rgb tankEdge = at(icon, 19, 4);
    EXPECT_EQ(tankEdge.r, 255);
    EXPECT_LT(tankEdge.b, 128);
    // The ground is not flat: the base's hill is lighter than the ground above the red line.
    EXPECT_GT(at(icon, 17, 33).r, at(icon, 1, 1).r);

    // It draws on a canvas of its own.
    EXPECT_TRUE(field().objects.empty());
    for (int y = 0; y < kScreenHeight; y += 7) {
        for (int x = 0; x < kScreenWidth; x += 7) ASSERT_EQ(pixel(x, y), 0) << x << ", " << y;
    }
}
