#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "bitmap/ShapeSpans.h"
#include "support/DrawnWorldTest.h"

namespace {

// Two bitmaps with the same noise: shapes go into one through ShapeSpans and into the other
// through the library's own primitives, and then every pixel must agree.
class ShapeSpansTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureHeadlessAllegro();
        fast = create_bitmap_ex(16, 200, 150);
        reference = create_bitmap_ex(16, 200, 150);
        srand(99);
        for (int y = 0; y < fast->h; ++y) {
            for (int x = 0; x < fast->w; ++x) {
                const int noise = makecol16(rand() % 256, rand() % 256, rand() % 256);
                putpixel(fast, x, y, noise);
                putpixel(reference, x, y, noise);
            }
        }
    }
    void TearDown() override
    {
        destroy_bitmap(fast);
        destroy_bitmap(reference);
    }

    int differingPixels() const
    {
        int differing = 0;
        for (int y = 0; y < fast->h; ++y) {
            for (int x = 0; x < fast->w; ++x) differing += getpixel(fast, x, y) != getpixel(reference, x, y);
        }
        return differing;
    }

    ShapeSpans spans;
    BITMAP* fast = nullptr;
    BITMAP* reference = nullptr;
};

TEST_F(ShapeSpansTest, BoxesAreTheLibrarysBoxesEvenReversedOrClipped)
{
    struct Box {
        int x1, y1, x2, y2;
    };
    const Box boxes[] = {
        {10, 10, 20, 20},   {30, 12, 30, 12},     {50, 40, 45, 35},  // single pixel, reversed corners
        {-5, -5, 3, 4},     {190, 140, 260, 170},                    // over the edges
        {-50, 60, -10, 80}, {20, 200, 30, 220},                      // wholly outside
        {0, 0, 199, 0},     {199, 0, 199, 149},                      // the very edges
    };
    int colour = makecol16(255, 64, 64);
    for (const Box& b : boxes) {
        spans.fillBox(fast, b.x1, b.y1, b.x2, b.y2, colour);
        rectfill(reference, b.x1, b.y1, b.x2, b.y2, colour);
        colour += 1234;
    }
    EXPECT_EQ(differingPixels(), 0);

    // With clipping set, boxes stop at the clip rectangle as the library's do.
    set_clip_rect(fast, 40, 30, 120, 100);
    set_clip_rect(reference, 40, 30, 120, 100);
    spans.fillBox(fast, 20, 20, 150, 60, colour);
    rectfill(reference, 20, 20, 150, 60, colour);
    EXPECT_EQ(differingPixels(), 0);
}

TEST_F(ShapeSpansTest, TrianglesAreTheLibrarysTrianglesAtEverySizeAndPlace)
{
    int colour = makecol16(0, 0, 127);
    for (int s = -1; s <= 9; ++s) {
        for (const int px : {3, 8, 57, 101, 196}) {  // near and over the edges too
            const int py = 10 + 13 * (s + 1);
            spans.fillTriangle(fast, px, py, s, colour);
            triangle(reference, px - s, py + s, px, py - s, px + s, py + s, colour);
            colour += 777;
        }
    }
    EXPECT_EQ(differingPixels(), 0);
}

TEST_F(ShapeSpansTest, OtherDepthsAreLeftToTheLibrary)
{
    BITMAP* deep = create_bitmap_ex(32, 40, 40);
    BITMAP* deepReference = create_bitmap_ex(32, 40, 40);
    clear_to_color(deep, 0);
    clear_to_color(deepReference, 0);
    const int colour = makecol32(10, 200, 30);
    spans.fillBox(deep, 2, 2, 12, 9, colour);
    rectfill(deepReference, 2, 2, 12, 9, colour);
    spans.fillTriangle(deep, 25, 25, 5, colour);
    triangle(deepReference, 20, 30, 25, 20, 30, 30, colour);
    int differing = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) differing += getpixel(deep, x, y) != getpixel(deepReference, x, y);
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(getpixel(deep, 25, 22), colour);
    destroy_bitmap(deep);
    destroy_bitmap(deepReference);
}

}  // namespace
