#include "units/Base.h"

#include "gfx/Canvas.h"
#include "effects/Projectile.h"
#include "units/TargetSearch.h"
#include "world/Battlefield.h"

Base::Base(int team, int x, int y) : Entity(team, x, y)
{
    health = 1000.0f;
    size = 5.0f;  // never read: a base always draws at the same size
    damage = 10.0f;
    range = 25.0f;
    actionPeriod = 5;
    actionCountdown = 5;
}

void Base::update()
{
    unitUpdate();
    if (!(health > 0)) {
        Battlefield* field = getBattlefield();
        field->gameOver = 1;
        field->eliminatedTeam = team;
    }
}

void Base::think()
{
    setTarget(findNearestEnemy(*this, static_cast<int>(range)));
    setMode(target() != nullptr ? kModeEngage : kModeAdvance);
    if (mode == kModeEngage) fire();
}

void Base::fire()
{
    shootAtTarget(5, 3);  // a bigger, slower shot
}

void Base::draw() const
{
    const Colour c = teamColour(team);  // a base looks the same in every mode
    const int px = cellCentre(x);
    const int py = cellCentre(y);
    fillBox(px - 5, py, px + 5, py + 5, c.r, c.g, c.b);
    backBuffer().fillRoof(px, py, 5, c);
}
