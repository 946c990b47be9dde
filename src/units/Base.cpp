#include "units/Base.h"

#include "gfx/Surface.h"
#include "units/TargetSearch.h"
#include "world/Battlefield.h"

Base::Base(int team, int x, int y) : Entity(team, x, y)
{
    health = 1000.0f;
    damage = 10.0f;
    range = 25.0f;
    actionPeriod = 5;
    actionCountdown = 5;
}

void Base::update(Battlefield& field, Random& random)
{
    unitUpdate(field, random);
    if (!(health > 0)) {
        field.gameOver = true;
        field.eliminatedTeam = team;
    }
}

void Base::think(Battlefield& field, Random& random)
{
    const Entity* enemy = findNearestEnemy(field, *this, static_cast<int>(range));
    setTarget(field, enemy);
    setMode(field, enemy != nullptr ? Mode::Engage : Mode::Advance);
    if (mode == Mode::Engage) fire(field, random);
}

void Base::fire(Battlefield& field, Random& random)
{
    shootAtTarget(field, random, 5, 3);  // a bigger, slower shot
}

void Base::draw(Surface& target) const
{
    const Colour c = teamColour(team);  // a base looks the same in every mode
    const int px = cellCentre(x);
    const int py = cellCentre(y);
    target.fillBox(px - 5, py, px + 5, py + 5, c);
    target.fillRoof(px, py, 5, c);
}
