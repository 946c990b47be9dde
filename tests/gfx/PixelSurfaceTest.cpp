// The pixel buffer must set exactly the pixels the graphics library sets, for every shape the
// game draws: the same calls go to a library bitmap and to a pixel buffer, on a small picture
// so that many shapes cross its edges, and the two pictures are compared pixel by pixel.

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "bitmap/BitmapSurface.h"
#include "gfx/PixelSurface.h"
#include "support/DrawnWorldTest.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// Where the two pictures first differ, or an empty text. The library lays out the channels of
// a 16-bit pixel as its driver says, the pixel buffer always red first: they are compared as
// colours.
std::string firstDifference(const BitmapSurface& bitmap, const PixelSurface& pixels)
{
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int value = getpixel(bitmap.bitmap(), x, y);
            const int expected = PixelSurface::pixelValue({getr16(value), getg16(value), getb16(value)});
            if (expected != pixels.pixelAt(x, y)) {
                return "(" + std::to_string(x) + ", " + std::to_string(y) + "): the library " +
                       std::to_string(expected) + ", the buffer " + std::to_string(pixels.pixelAt(x, y));
            }
        }
    }
    return "";
}

struct Shapes {
    const char* name;
    int count;                                                  // calls per picture
    std::function<void(Surface&, std::mt19937&, Colour)> draw;  // one random call
};

int between(std::mt19937& random, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random);
}

}  // namespace

TEST(PixelSurface, DrawsExactlyTheLibrarysPixels)
{
    ensureHeadlessAllegro();
    // Coordinates reach well beyond every edge; shapes are of the sizes the game draws and more.
    auto anyX = [](std::mt19937& r) { return between(r, -40, kWidth + 40); };
    auto anyY = [](std::mt19937& r) { return between(r, -40, kHeight + 40); };
    const Shapes shapes[] = {
        {"boxes", 40, [&](Surface& s, std::mt19937& r, Colour c) { s.fillBox(anyX(r), anyY(r), anyX(r), anyY(r), c); }},
        {"pixels", 400, [&](Surface& s, std::mt19937& r, Colour c) { s.putPixel(anyX(r), anyY(r), c); }},
        {"long lines", 60,
         [&](Surface& s, std::mt19937& r, Colour c) { s.drawLine(anyX(r), anyY(r), anyX(r), anyY(r), c); }},
        {"streaks", 300,
         [&](Surface& s, std::mt19937& r, Colour c) {
             const int x = anyX(r), y = anyY(r);
             s.drawLine(x, y, x + between(r, -7, 7), y + between(r, -7, 7), c);
         }},
        {"soldiers", 200,
         [&](Surface& s, std::mt19937& r, Colour c) {
             s.fillSoldierTriangle(anyX(r), anyY(r), between(r, -1, 40), c);
         }},
        {"roofs", 100,
         [&](Surface& s, std::mt19937& r, Colour c) { s.fillRoof(anyX(r), anyY(r), between(r, -1, 40), c); }},
        {"texts", 30,
         [&](Surface& s, std::mt19937& r, Colour c) {
             std::string text;
             for (int n = between(r, 0, 12); n > 0; --n) text += static_cast<char>(between(r, 32, 126));
             s.drawText(text, anyX(r), anyY(r), c, {between(r, 0, 255), between(r, 0, 255), 0});
         }},
    };
    for (const Shapes& kind : shapes) {
        for (unsigned picture = 0; picture < 20; ++picture) {
            BitmapSurface bitmap(create_bitmap_ex(16, kWidth, kHeight), true);
            PixelSurface pixels(kWidth, kHeight);
            std::mt19937 random(picture);
            const Colour ground{between(random, 0, 255), between(random, 0, 255), between(random, 0, 255)};
            bitmap.clear(ground);
            pixels.clear(ground);
            for (int n = 0; n < kind.count; ++n) {
                const Colour c{between(random, 0, 255), between(random, 0, 255), between(random, 0, 255)};
                std::mt19937 same = random;
                kind.draw(bitmap, random, c);
                kind.draw(pixels, same, c);
            }
            ASSERT_EQ(firstDifference(bitmap, pixels), "") << kind.name << ", picture " << picture;
        }
    }
}
