#pragma once

#include "units/Entity.h"

// The two kinds of infantry; the numbers are the ones a digest of the battle shows.
enum class SoldierKind { Rifleman = 1, Sniper = 2 };

// Infantry: riflemen (sturdy, short range) and snipers (fragile, slow, long range).
// Advances on the enemy base, joins allies' fights and engages from the highest ground.
class Soldier : public Entity {
public:
    // Draws actionPeriod, then size. Not placed on the grid: hand it to registerUnit.
    Soldier(Random& random, int team, int x, int y, SoldierKind soldierKind);

    void draw(Surface& target) const override;
    void think(Battlefield& field, Random& random) override;
    void fire(Battlefield& field, Random& random) override;
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<Soldier>(*this); }

    SoldierKind soldierKind;
};
