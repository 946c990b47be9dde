#include "units/Tank.h"

#include "gfx/Canvas.h"
#include "effects/Particle.h"
#include "units/TargetSearch.h"
#include "world/Battlefield.h"
#include "world/Random.h"

namespace {
constexpr float kShellDamage = 50.0f;
constexpr int kAimSteps = 5;
}  // namespace

Tank::Tank(int team, int x, int y, int shade, int size, int period) : Entity(team, x, y)
{
    colour = team == 0 ? Colour{shade, 0, 0} : Colour{0, 0, shade};
    health = 250.0f;
    this->size = static_cast<float>(size);
    damage = 10.0f;
    range = 10.0f;
    actionPeriod = period;
    actionCountdown = period;
}

void Tank::think()
{
    if (mode == kModeAdvance || mode == kModeTravel) {
        if (Entity* enemy = findNearestEnemy(*this, static_cast<int>(range))) {
            setMode(kModeEngage);
            setTarget(enemy);
        }
    }

    switch (mode) {
        case kModeAdvance: advance(); break;
        case kModeEngage:
            if (target() != nullptr) {
                aimPoint = {static_cast<float>(target()->x), static_cast<float>(target()->y)};
                aimCountdown = kAimSteps;
                setMode(kModeBombard);
            } else {
                setMode(kModeAdvance);
            }
            break;
        case kModeTravel:
            if (destination().isSet() && travelSteps() > 0) {
                moveTowards(destination());
                takeTravelStep();
            } else {
                setMode(kModeAdvance);
            }
            break;
        case kModeBombard:
            if (aimPoint.isSet()) {
                if (aimCountdown == 0) {
                    fire();
                    setMode(kModeAdvance);
                    aimPoint = Vec2();
                }
                aimCountdown -= 1;
            } else {
                setMode(kModeAdvance);
            }
            break;
        default: break;
    }
}

void Tank::fire()
{
    spawnExplosion(aimPoint.x, aimPoint.y);  // before the damage, so victims' particles follow it
    splashDamage(team, aimPoint.x, aimPoint.y);
}

void Tank::splashDamage(int attackerTeam, float aimX, float aimY)
{
    Battlefield* field = getBattlefield();
    for (int i = static_cast<int>(aimX - 2); static_cast<float>(i) <= aimX + 2; ++i) {
        for (int j = static_cast<int>(aimY - 2); static_cast<float>(j) <= aimY + 2; ++j) {
            if (i < 0 || i >= kColumns || j < 0 || j >= kRows) continue;
            Entity* victim = field->occupantAt(static_cast<float>(i), static_cast<float>(j));
            if (victim != nullptr && victim->team != attackerTeam) victim->takeDamage(this, kShellDamage);
        }
    }
}

void Tank::spawnExplosion(float cellX, float cellY) const
{
    Battlefield* field = getBattlefield();
    const float px = static_cast<float>(kCellPixels) * cellX + kCellPixels / 2;
    const float py = static_cast<float>(kCellPixels) * cellY + kCellPixels / 2;
    for (int n = 0; n < 10; ++n) {
        const int g = 128 + battleRand() % 128;
        const int r = 200 + battleRand() % 50;
        const int lifetime = 8 + battleRand() % 4;
        const int size = 2 + battleRand() % 3;
        field->addObject(new Particle(lifetime, size, r, g, 0, 3, 5, 20, kStyleDot, px, py));
    }
}

void Tank::draw() const
{
    const float s = static_cast<float>(static_cast<int>(size));
    const float px = static_cast<float>(cellCentre(x));
    const float py = static_cast<float>(cellCentre(y));
    fillBox(static_cast<int>(px - s), static_cast<int>(py - s), static_cast<int>(px + s), static_cast<int>(py + s),
            colour.r, colour.g, colour.b);
    if (mode != kModeBombard) return;
    const float h = s * 0.5f;
    fillBox(static_cast<int>(px - h), static_cast<int>(py - h), static_cast<int>(px + h), static_cast<int>(py + h), 255,
            255, 255);
    if (aimPoint.isSet()) {
        const Colour c = addClamped(teamColour(team), {-150, -150, -150});
        backBuffer().drawLine(static_cast<int>(px), static_cast<int>(py),
                              static_cast<int>(kCellPixels * aimPoint.x + kCellPixels / 2),
                              static_cast<int>(kCellPixels * aimPoint.y + kCellPixels / 2), c);
    }
}
