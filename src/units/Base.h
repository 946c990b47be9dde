#pragma once

#include "units/Entity.h"

// A team's headquarters: never moves, fires at the nearest enemy within range, and ends
// the game when it falls.
class Base : public Entity {
public:
    Base(int team, int x, int y);  // health 1000, damage 10, range 25, period 5

    void draw(Surface& target) const override;
    void update(Battlefield& field, Random& random) override;  // unitUpdate, then the game-over check
    ObjectKind getType() const override { return ObjectKind::Base; }
    void think(Battlefield& field, Random& random) override;
    void fire(Battlefield& field, Random& random) override;
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<Base>(*this); }
};
