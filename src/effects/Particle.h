#pragma once

#include <cstddef>

#include "units/Renderer.h"
#include "units/Vec2.h"

// How a particle is drawn.
enum class ParticleStyle {
    Dot = 0,     // a pixel, or a box for sizes other than 1
    Streak = 1,  // a line along one frame's movement
    Hidden = 2,  // nothing: the particle still moves, fades and counts down
};

// A short-lived visual effect: flies at a constant velocity, darkens every frame and
// removes itself when its lifetime runs out. Sparks, debris, explosions and shots.
class Particle : public Renderer {
public:
    // Makes the particle and appends it to the field; on a field whose effects nobody sees, only
    // draws its four random numbers and counts it for its lifetime.
    static void spawn(Battlefield& field, Random& random, int lifetime, int size, int r, int g, int b, int minSpeed,
                      int speedSpread, int fade, ParticleStyle style, float pixelX, float pixelY);

    // Draws four random numbers: sign of vx, sign of vy, magnitude of vx, magnitude of vy.
    Particle(Random& random, int lifetime, int size, int r, int g, int b, int minSpeed, int speedSpread, int fade,
             ParticleStyle style, float pixelX, float pixelY);

    // ---- Renderer ----
    void draw(Surface& target) const override;
    void update(Battlefield& field, Random& random) override;
    ObjectKind getType() const override { return ObjectKind::Effect; }
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<Particle>(*this); }

    // ---- memory: an effect takes the block of one destroyed before it (shots too) ----
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);

    // ---- state ----
    int lifetime;   // frames left to live
    int fade;       // subtracted from each colour channel every frame
    int size;       // 1 a single pixel, otherwise a box of half-side size / 2
    Vec2 position;  // position in back-buffer pixels
    Vec2 velocity;  // pixels per frame
    ParticleStyle style;
};
