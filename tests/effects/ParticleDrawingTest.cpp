// What particles draw, pixel for pixel, on the graphics library's own bitmap.

#include <allegro.h>

#include "effects/Particle.h"
#include "support/DrawnWorldTest.h"

namespace {

class ParticleDrawingTest : public DrawnWorldTest {
protected:
    // Pixels of the window (x0..x1, y0..y1) that break the rule: inside the box (bx1, by1)-(bx2, by2)
    // the pixel holds `lit`, everywhere else the untouched background 0.
    int pixelsOffBox(int x0, int y0, int x1, int y1, int bx1, int by1, int bx2, int by2, int lit) const
    {
        int wrong = 0;
        for (int py = y0; py <= y1; ++py) {
            for (int px = x0; px <= x1; ++px) {
                const bool inside = px >= bx1 && px <= bx2 && py >= by1 && py <= by2;
                if (pixel(px, py) != (inside ? lit : 0)) ++wrong;
            }
        }
        return wrong;
    }
};

TEST_F(ParticleDrawingTest, DotsAndBoxesCoverExactlyTheirPixels)
{
    struct Case {
        int size;
        float px, py;
        int x1, y1, x2, y2;  // the box that must be filled, corners included
    };
    const Case cases[] = {
        {1, 100.0f, 50.0f, 100, 50, 100, 50},  // a single pixel
        {2, 100.0f, 50.0f, 99, 49, 101, 51},   // half-side 1: 3 x 3
        {3, 100.0f, 50.0f, 99, 49, 101, 51},   // 3 / 2 is 1 as well
        {4, 100.0f, 50.0f, 98, 48, 102, 52},   // half-side 2: 5 x 5
        {0, 100.0f, 50.0f, 100, 50, 100, 50},  // half-side 0: a box of one pixel
        {4, 100.7f, 50.9f, 98, 48, 102, 52},   // 98.7 and 102.7 truncate to 98 and 102
    };
    const int lit = colourValue(200, 100, 50);
    for (const Case& c : cases) {
        clear_to_color(bitmap(), 0);
        Particle dot(random(), 10, c.size, 200, 100, 50, 1, 5, 20, ParticleStyle::Dot, c.px, c.py);
        dot.draw(surface());
        EXPECT_EQ(pixelsOffBox(80, 30, 120, 70, c.x1, c.y1, c.x2, c.y2, lit), 0)
            << "size " << c.size << " at (" << c.px << ", " << c.py << ")";
    }
}

TEST_F(ParticleDrawingTest, StreakIsTheLineOfOneFramesMovement)
{
    struct Case {
        float px, py, vx, vy;
        int x1, y1, x2, y2;  // the line, in the order it is drawn
        int pixels;          // one per step along the longer axis, both ends included
    };
    const Case cases[] = {
        {20.0f, 30.0f, 3.0f, 4.0f, 20, 30, 23, 34, 5},
        // The far end is the float sum truncated: 18.7 and 28.1 give (18, 28), not 20 - 1 and 30 - 2.
        {20.5f, 30.5f, -1.8f, -2.4f, 20, 30, 18, 28, 3},
    };
    const int yellow = colourValue(255, 255, 0);
    BITMAP* reference = create_bitmap_ex(kColourDepth, 64, 64);
    ASSERT_NE(reference, nullptr);
    for (const Case& c : cases) {
        clear_to_color(bitmap(), 0);
        clear_to_color(reference, 0);
        line(reference, c.x1, c.y1, c.x2, c.y2, yellow);

        Particle streak(random(), 10, 2, 255, 255, 0, 2, 2, 0, ParticleStyle::Streak, 0.0f, 0.0f);
        streak.position = {c.px, c.py};
        streak.velocity = {c.vx, c.vy};
        streak.draw(surface());

        int differing = 0;
        int litCount = 0;
        for (int py = 0; py < 64; ++py) {
            for (int px = 0; px < 64; ++px) {
                if (pixel(px, py) != getpixel(reference, px, py)) ++differing;
                if (pixel(px, py) == yellow) ++litCount;
            }
        }
        EXPECT_EQ(differing, 0) << "streak from (" << c.px << ", " << c.py << ")";
        EXPECT_EQ(pixel(c.x1, c.y1), yellow);
        EXPECT_EQ(pixel(c.x2, c.y2), yellow);
        EXPECT_EQ(litCount, c.pixels);
    }
    destroy_bitmap(reference);
}


// It lives its life all the same (ParticleTest).
TEST_F(ParticleDrawingTest, HiddenStyleDrawsNothing)
{
    const Particle ghost(random(), 2, 4, 100, 100, 100, 1, 5, 30, ParticleStyle::Hidden, 100.0f, 50.0f);
    ghost.draw(surface());
    EXPECT_EQ(pixelsOffBox(80, 30, 120, 70, 0, 0, -1, -1, 0), 0);
}

}  // namespace
