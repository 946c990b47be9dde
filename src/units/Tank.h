#pragma once

#include "units/Entity.h"

// Artillery: takes an enemy's cell as a fixed aim point, counts down a few decision steps
// and shells the 5 x 5 cells around it.
class Tank : public Entity {
public:
    // shade is the team channel 128..255, size 3..5, period 10..19.
    Tank(int team, int x, int y, int shade, int size, int period);

    void draw(Surface& target) const override;
    void think(Battlefield& field, Random& random) override;
    void fire(Battlefield& field, Random& random) override;
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<Tank>(*this); }

    // 50 to every enemy in the block.
    void splashDamage(Battlefield& field, Random& random, int attackerTeam, float aimX, float aimY);
    // Ten particles at the cell.
    void spawnExplosion(Battlefield& field, Random& random, float cellX, float cellY) const;

    // ---- aiming ----
    Vec2 aimPoint;          // cell to be shelled; none when no shell is pending
    int aimCountdown = -1;  // decision steps left before the shell is fired
};
