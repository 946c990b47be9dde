#pragma once

#include "units/Entity.h"

constexpr int kRifleman = 1;
constexpr int kSniper = 2;

// Infantry: riflemen (sturdy, short range) and snipers (fragile, slow, long range).
// Advances on the enemy base, joins allies' fights and engages from the highest ground.
class Soldier : public Entity {
public:
    // Draws actionPeriod, then size. Not placed on the grid: hand it to registerUnit.
    Soldier(int team, int x, int y, int soldierKind);

    void draw() const override;
    void think() override;
    void fire() override;

    int soldierKind;  // kSniper, or a rifleman for any other value
};
