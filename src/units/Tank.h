#pragma once

#include "units/Entity.h"

// Artillery: takes an enemy's cell as a fixed aim point, counts down a few decision steps
// and shells the 5 x 5 cells around it.
class Tank : public Entity {
public:
    // shade is the team channel 128..255, size 3..5, period 10..19.
    Tank(int team, int x, int y, int shade, int size, int period);

    void draw() const override;
    void think() override;
    void fire() override;

    void splashDamage(int attackerTeam, float aimX, float aimY);  // 50 to every enemy in the block
    void spawnExplosion(float cellX, float cellY) const;          // ten particles at the cell

    // ---- aiming ----
    Vec2 aimPoint;          // cell to be shelled; none when no shell is pending
    int aimCountdown = -1;  // decision steps left before the shell is fired
};
