#pragma once

#include "effects/Particle.h"
#include "world/UnitId.h"

class Entity;

// A shot in flight: a yellow streak that hits the first unit of another team whose cell it
// enters, hands its damage to that unit and removes itself.
class Projectile : public Particle {
public:
    Projectile(Random& random, const Entity* shooter, float damage, int size, int r, int g, int b, int speed,
               float fromX, float fromY, float toX, float toY);

    // ---- Renderer ----
    void update(Battlefield& field, Random& random) override;
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<Projectile>(*this); }

    // ---- state ----
    int team;        // the shooter's team; never hits a unit of it
    float damage;    // handed to the victim's takeDamage
    UnitId shooter;  // the unit that fired; resolves to none once it has been removed
};
