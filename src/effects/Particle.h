#pragma once

#include <cstddef>

#include "units/Renderer.h"
#include "units/Vec2.h"

// Particle styles.
constexpr int kStyleDot = 0;     // a pixel, or a box for sizes other than 1
constexpr int kStyleStreak = 1;  // a line along one frame's movement

// A short-lived visual effect: flies at a constant velocity, darkens every frame and
// removes itself when its lifetime runs out. Sparks, debris, explosions and shots.
class Particle : public Renderer {
public:
    // Draws four random numbers: sign of vx, sign of vy, magnitude of vx, magnitude of vy.
    Particle(int lifetime, int size, int r, int g, int b, int minSpeed, int speedSpread, int fade, int style,
             float pixelX, float pixelY);

    // ---- Renderer ----
    void draw() const override;
    void update() override;
    void onRemoved() override {}
    int getType() const override { return kTypeEffect; }

    // ---- memory: an effect takes the block of one destroyed before it (shots too) ----
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);

    // ---- state ----
    int lifetime;   // frames left to live
    int fade;       // subtracted from each colour channel every frame
    int size;       // 1 a single pixel, otherwise a box of half-side size / 2
    Vec2 position;  // position in back-buffer pixels
    Vec2 velocity;  // pixels per frame
    int style;      // kStyleDot, kStyleStreak, anything else is invisible
};
