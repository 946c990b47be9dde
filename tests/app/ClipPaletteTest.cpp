#include <allegro.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/ClipPalette.h"
#include "support/DrawnWorldTest.h"

namespace {

struct Rgb {
    int r, g, b;
};

class ClipPaletteTest : public ::testing::Test {
protected:
    void SetUp() override { ensureHeadlessAllegro(); }

    // The 16-bit value of the entry a colour is drawn with.
    int shownAs(const ClipPalette& palette, const Rgb& c) const
    {
        const ClipPalette::Rgb& entry = palette.colours()[palette.indexOf(makecol16(c.r, c.g, c.b))];
        return makecol16(entry.r, entry.g, entry.b);
    }

    // The picture of a 2 x 2 frame: its one pixel's colour as drawn in the palette.
    Rgb shrunk(const ClipPalette& palette, const Rgb block[4]) const
    {
        BITMAP* frame = create_bitmap_ex(16, 2, 2);
        for (int n = 0; n < 4; ++n) putpixel(frame, n % 2, n / 2, makecol16(block[n].r, block[n].g, block[n].b));
        std::vector<std::uint8_t> picture;
        palette.shrink(frame, picture);
        destroy_bitmap(frame);
        EXPECT_EQ(picture.size(), 1u);
        const ClipPalette::Rgb& entry = palette.colours()[picture.at(0)];
        return {entry.r, entry.g, entry.b};
    }
};

TEST_F(ClipPaletteTest, EveryColourTheBattleDrawsKeepsItsSixteenBitValue)
{
    std::vector<Rgb> drawn = {{0, 0, 0},   {255, 255, 255}, {255, 255, 0}, {255, 0, 0}, {0, 0, 255}, {127, 0, 0},
                              {0, 0, 127}, {255, 64, 64},   {64, 64, 255}, {105, 0, 0}, {0, 0, 105}};
    for (int h = 1; h <= 15; ++h) drawn.push_back({16 * h, 16 * h, 16 * h});
    for (int shade = 0; shade <= 255; ++shade) {  // tank shades, debris fading to black
        drawn.push_back({shade, 0, 0});
        drawn.push_back({0, 0, shade});
    }
    const ClipPalette palette;
    for (const Rgb& c : drawn) {
        EXPECT_EQ(shownAs(palette, c), makecol16(c.r, c.g, c.b)) << c.r << "," << c.g << "," << c.b;
    }
}

TEST_F(ClipPaletteTest, SparksStayCloseAndNoPixelIsTransparent)
{
    const ClipPalette palette;
    ASSERT_LT(palette.size(), ClipPalette::kColours);
    // Sparks start at red 200..249, green 128..255 and fade by 20 a frame.
    for (int r = 0; r < 250; r += 3) {
        for (int g = 0; g < 256; g += 3) {
            const ClipPalette::Rgb& entry = palette.colours()[palette.indexOf(makecol16(r, g, 0))];
            EXPECT_LE(std::max({std::abs(entry.r - r), std::abs(entry.g - g), int{entry.b}}), 16) << r << "," << g;
        }
    }
    for (int pixel = 0; pixel < 1 << 16; ++pixel) ASSERT_NE(palette.indexOf(pixel), ClipPalette::kTransparent);
}

TEST_F(ClipPaletteTest, ShrinkingKeepsTheFirstPixelThatIsNotTerrain)
{
    const Rgb grey{128, 128, 128}, black{0, 0, 0}, light{240, 240, 240}, shot{255, 255, 0}, red{255, 0, 0};
    struct Case {
        Rgb block[4];  // top-left, top-right, bottom-left, bottom-right
        Rgb expected;
    };
    const Case cases[] = {
        {{grey, grey, grey, grey}, grey}, {{light, black, black, grey}, light}, {{shot, grey, grey, grey}, shot},
        {{grey, shot, grey, grey}, shot}, {{grey, grey, shot, grey}, shot},     {{black, black, black, shot}, shot},
        {{grey, red, shot, grey}, red},   {{black, grey, red, shot}, red},
    };
    const ClipPalette palette;
    for (const Case& c : cases) {
        const Rgb got = shrunk(palette, c.block);
        EXPECT_EQ(makecol16(got.r, got.g, got.b), makecol16(c.expected.r, c.expected.g, c.expected.b))
            << "expected " << c.expected.r << "," << c.expected.g << "," << c.expected.b;
    }
}

}  // namespace
