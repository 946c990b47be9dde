#pragma once

#include "units/Entity.h"

// A team's headquarters: never moves, fires at the nearest enemy within range, and ends
// the game when it falls.
class Base : public Entity {
public:
    Base(int team, int x, int y);  // health 1000, damage 10, range 25, period 5

    void draw() const override;
    void update() override;  // unitUpdate, then the game-over check
    int getType() const override { return kTypeBase; }
    void think() override;
    void fire() override;
};
