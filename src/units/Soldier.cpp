#include "units/Soldier.h"

#include "effects/Projectile.h"
#include "gfx/Surface.h"
#include "units/TargetSearch.h"
#include "world/Battlefield.h"
#include "world/Random.h"

Soldier::Soldier(Random& random, int team, int x, int y, SoldierKind soldierKind)
    : Entity(team, x, y), soldierKind(soldierKind)
{
    const bool sniper = soldierKind == SoldierKind::Sniper;
    health = sniper ? 50.0f : 100.0f;
    actionPeriod = sniper ? random.next() % 10 + 25 : random.next() % 10 + 10;
    size = static_cast<float>(random.next() % 5 + 1);
    damage = 10.0f;
    range = sniper ? 20.0f : 5.0f;
    actionCountdown = actionPeriod;
    colour = modeColour(team, Mode::Advance);
}

void Soldier::think(Battlefield& field, Random& random)
{
    const Entity* enemy = findNearestEnemy(field, *this, static_cast<int>(range));
    if (enemy != nullptr) {
        setMode(field, Mode::Engage);
    } else if (mode == Mode::Engage) {
        setMode(field, Mode::Advance);
    }
    setTarget(field, enemy);

    switch (mode) {
        case Mode::Advance: advance(field); break;
        case Mode::Engage: {  // the enemy was found in this step
            const Vec2 position = findFiringPosition(field, *this);
            if (static_cast<int>(position.x) != x || static_cast<int>(position.y) != y) {
                field.moveEntity(this, position.x, position.y);
            }
            if (inRange(*enemy, x, y)) fire(field, random);
            break;
        }
        case Mode::Travel:
            if (destination().isSet() && travelSteps() != 0) {
                moveTowards(field, destination());
                takeTravelStep(field);
            } else {
                setMode(field, Mode::Advance);
            }
            break;
        case Mode::Bombard: break;
    }
}

void Soldier::fire(Battlefield& field, Random& random)
{
    shootAtTarget(field, random, 2, 5);
}

void Soldier::draw(Surface& target) const
{
    const int s = static_cast<int>(size);
    const int px = cellCentre(x);
    const int py = cellCentre(y);
    target.fillSoldierTriangle(px, py, s, colour);
    if (soldierKind == SoldierKind::Sniper) {
        // Two straight white lines: as boxes one pixel thick they are the same pixels.
        const Colour white{255, 255, 255};
        target.fillBox(px - 2, py, px + 2, py, white);
        target.fillBox(px, py - 2, px, py + 2, white);
    }
}
