#pragma once

#include "effects/Particle.h"

class Entity;

// A shot in flight: a yellow streak that hits the first unit of another team whose cell it
// enters, hands its damage to that unit and removes itself.
class Projectile : public Particle {
public:
    Projectile(Random& random, Entity* shooter, float damage, int size, int r, int g, int b, int speed, float fromX,
               float fromY, float toX, float toY);

    // ---- Renderer ----
    void update(Battlefield& field, Random& random) override;
    void forgetRemovedUnits() override;  // the shooter is about to be destroyed
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<Projectile>(*this); }
    void remapUnits(const UnitMap& copies) override;  // the shooter

    // ---- state ----
    int team;         // the shooter's team; never hits a unit of it
    float damage;     // handed to the victim's takeDamage
    Entity* shooter;  // the unit that fired, not owned; null once it has been removed
};
