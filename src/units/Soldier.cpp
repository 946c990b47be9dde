#include "units/Soldier.h"

#include "gfx/Canvas.h"
#include "effects/Projectile.h"
#include "units/TargetSearch.h"
#include "world/Battlefield.h"
#include "world/Random.h"

Soldier::Soldier(int team, int x, int y, int soldierKind) : Entity(team, x, y), soldierKind(soldierKind)
{
    const bool sniper = soldierKind == kSniper;
    health = sniper ? 50.0f : 100.0f;
    actionPeriod = sniper ? battleRand() % 10 + 25 : battleRand() % 10 + 10;
    size = static_cast<float>(battleRand() % 5 + 1);
    damage = 10.0f;
    range = sniper ? 20.0f : 5.0f;
    actionCountdown = actionPeriod;
    colour = modeColour(team, kModeAdvance);
}

void Soldier::think()
{
    Battlefield* field = getBattlefield();
    Entity* enemy = findNearestEnemy(*this, static_cast<int>(range));
    if (enemy != nullptr) {
        setMode(kModeEngage);
    } else if (mode == kModeEngage) {
        setMode(kModeAdvance);
    }
    setTarget(enemy);

    switch (mode) {
        case kModeAdvance: advance(); break;
        case kModeEngage: {
            const Vec2 position = findFiringPosition(*this);
            if (static_cast<int>(position.x) != x || static_cast<int>(position.y) != y) {
                field->moveEntity(this, position.x, position.y);
            }
            if (inRange(x, y)) fire();
            break;
        }
        case kModeTravel:
            if (destination().isSet() && travelSteps() != 0) {
                moveTowards(destination());
                takeTravelStep();
            } else {
                setMode(kModeAdvance);
            }
            break;
        default: break;
    }
}

void Soldier::fire()
{
    shootAtTarget(2, 5);
}

void Soldier::draw() const
{
    const int s = static_cast<int>(size);
    const int px = cellCentre(x);
    const int py = cellCentre(y);
    Surface& target = backBuffer();
    target.fillSoldierTriangle(px, py, s, colour);
    if (soldierKind == kSniper) {
        // Two straight white lines: as boxes one pixel thick they are the same pixels.
        const Colour white{255, 255, 255};
        target.fillBox(px - 2, py, px + 2, py, white);
        target.fillBox(px, py - 2, px, py + 2, white);
    }
}
