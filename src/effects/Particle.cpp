#include "effects/Particle.h"

#include <algorithm>

#include "effects/EffectMemory.h"
#include "gfx/Surface.h"
#include "world/Battlefield.h"
#include "world/Random.h"

namespace {

bool withinChannelRange(const Colour& c)
{
    auto inRange = [](int channel) { return channel >= 0 && channel <= 255; };
    return inRange(c.r) && inRange(c.g) && inRange(c.b);
}

}  // namespace

Particle::Particle(Random& random, int lifetime, int size, int r, int g, int b, int minSpeed, int speedSpread, int fade,
                   ParticleStyle style, float pixelX, float pixelY)
    : lifetime(lifetime), fade(fade), size(size), position{pixelX, pixelY}, style(style)
{
    colour = {r, g, b};
    const int signX = (random.next() % 2 == 0) ? 1 : -1;
    const int signY = (random.next() % 2 == 0) ? 1 : -1;
    const int magnitudeX = random.next();
    const int magnitudeY = random.next();
    velocity.x = static_cast<float>((minSpeed + magnitudeX % speedSpread) * signX);
    velocity.y = static_cast<float>((minSpeed + magnitudeY % speedSpread) * signY);
}

void Particle::spawn(Battlefield& field, Random& random, int lifetime, int size, int r, int g, int b, int minSpeed,
                     int speedSpread, int fade, ParticleStyle style, float pixelX, float pixelY)
{
    if (field.effectsShown()) {
        field.addObject(std::make_unique<Particle>(random, lifetime, size, r, g, b, minSpeed, speedSpread, fade, style,
                                                   pixelX, pixelY));
        return;
    }
    for (int n = 0; n < 4; ++n) random.next();  // the velocity's draws
    field.countUnseenEffect(lifetime);
}

void* Particle::operator new(std::size_t size)
{
    return EffectMemory::take(size);
}

void Particle::operator delete(void* block, std::size_t size)
{
    EffectMemory::give(block, size);
}

void Particle::update(Battlefield& field, Random& /*random*/)
{
    position.x += velocity.x;
    position.y += velocity.y;
    // A shot does not fade: its colour, already within 0..255, would come out unchanged.
    if (fade != 0 || !withinChannelRange(colour)) {
        colour.r = std::clamp(colour.r - fade, 0, 255);
        colour.g = std::clamp(colour.g - fade, 0, 255);
        colour.b = std::clamp(colour.b - fade, 0, 255);
    }
    lifetime -= 1;
    if (lifetime > 0) return;
    field.queueRemoval(this);
}

void Particle::draw(Surface& target) const
{
    if (style == ParticleStyle::Dot) {
        if (size == 1) {
            target.putPixel(static_cast<int>(position.x), static_cast<int>(position.y), colour);
            return;
        }
        const float h = static_cast<float>(size / 2);
        target.fillBox(static_cast<int>(position.x - h), static_cast<int>(position.y - h),
                       static_cast<int>(position.x + h), static_cast<int>(position.y + h), colour);
    } else if (style == ParticleStyle::Streak) {
        target.drawLine(static_cast<int>(position.x), static_cast<int>(position.y),
                        static_cast<int>(position.x + velocity.x), static_cast<int>(position.y + velocity.y), colour);
    }
}
