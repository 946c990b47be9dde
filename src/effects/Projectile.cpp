#include "effects/Projectile.h"

#include <cmath>

#include "effects/EffectMemory.h"
#include "units/Entity.h"
#include "world/Battlefield.h"

static_assert(sizeof(Projectile) <= EffectMemory::kBlockSize, "a shot takes the blocks of the effects");

Projectile::Projectile(Random& random, const Entity* shooter, float damage, int size, int r, int g, int b, int speed,
                       float fromX, float fromY, float toX, float toY)
    : Particle(random, 0, size, r, g, b, 2, 2, 0, ParticleStyle::Streak, fromX, fromY),
      team(shooter->team),
      damage(damage),
      shooter(shooter->id())
{
    // Single precision throughout, so every shot flies exactly the same way everywhere.
    const float dx = toX - fromX;
    const float dy = toY - fromY;
    const float distance = std::sqrt(dx * dx + dy * dy);
    const float fspeed = static_cast<float>(speed);
    if (distance > 0.0f) {
        velocity = {fspeed * (dx / distance), fspeed * (dy / distance)};
    } else {
        velocity = {0.0f, 0.0f};  // no direction to fly in
    }
    lifetime = speed + static_cast<int>(distance / fspeed);
}

void Projectile::update(Battlefield& field, Random& random)
{
    Particle::update(field, random);
    const int column = static_cast<int>(position.x) / kCellPixels;  // truncates towards zero: -5 is column 0
    const int row = static_cast<int>(position.y) / kCellPixels;
    Entity* victim = field.occupantOfCell(column, row);
    if (victim == nullptr || victim->team == team) return;
    victim->takeDamage(field, random, field.unit(shooter), damage);
    field.queueRemoval(this);  // the lifetime may have queued it already
}
