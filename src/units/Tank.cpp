#include "units/Tank.h"

#include "effects/Particle.h"
#include "gfx/Surface.h"
#include "units/TargetSearch.h"
#include "units/UnitMemory.h"
#include "world/Battlefield.h"
#include "world/Random.h"

// The largest object there is, with what the allocator takes beside it.
static_assert(sizeof(Tank) + 2 * sizeof(void*) <= Battlefield::kBytesPerObject, "a battlefield's memory is counted");
static_assert(sizeof(Tank) <= UnitMemory::kBlockSize, "a tank takes the blocks of the units");

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

void Tank::think(Battlefield& field, Random& random)
{
    if (mode == Mode::Advance || mode == Mode::Travel) {
        if (const Entity* enemy = findNearestEnemy(field, *this, static_cast<int>(range))) {
            setMode(field, Mode::Engage);
            setTarget(field, enemy);
        }
    }

    switch (mode) {
        case Mode::Advance: advance(field); break;
        case Mode::Engage:
            if (const Entity* enemy = field.unit(target())) {
                aimPoint = {static_cast<float>(enemy->x), static_cast<float>(enemy->y)};
                aimCountdown = kAimSteps;
                setMode(field, Mode::Bombard);
            } else {
                setMode(field, Mode::Advance);
            }
            break;
        case Mode::Travel:
            if (destination().isSet() && travelSteps() > 0) {
                moveTowards(field, destination());
                takeTravelStep(field);
            } else {
                setMode(field, Mode::Advance);
            }
            break;
        case Mode::Bombard:
            if (aimPoint.isSet()) {
                if (aimCountdown == 0) {
                    fire(field, random);
                    setMode(field, Mode::Advance);
                    aimPoint = Vec2();
                }
                aimCountdown -= 1;
            } else {
                setMode(field, Mode::Advance);
            }
            break;
    }
}

void Tank::fire(Battlefield& field, Random& random)
{
    // The explosion before the damage, so the victims' particles follow it.
    spawnExplosion(field, random, aimPoint.x, aimPoint.y);
    splashDamage(field, random, team, aimPoint.x, aimPoint.y);
}

void Tank::splashDamage(Battlefield& field, Random& random, int attackerTeam, float aimX, float aimY)
{
    for (int i = static_cast<int>(aimX - 2); static_cast<float>(i) <= aimX + 2; ++i) {
        for (int j = static_cast<int>(aimY - 2); static_cast<float>(j) <= aimY + 2; ++j) {
            if (i < 0 || i >= kColumns || j < 0 || j >= kRows) continue;
            Entity* victim = field.occupantAt(static_cast<float>(i), static_cast<float>(j));
            if (victim != nullptr && victim->team != attackerTeam)
                victim->takeDamage(field, random, this, kShellDamage);
        }
    }
}

void Tank::spawnExplosion(Battlefield& field, Random& random, float cellX, float cellY) const
{
    const float px = static_cast<float>(kCellPixels) * cellX + kCellPixels / 2;
    const float py = static_cast<float>(kCellPixels) * cellY + kCellPixels / 2;
    for (int n = 0; n < 10; ++n) {
        const int g = 128 + random.next() % 128;
        const int r = 200 + random.next() % 50;
        const int lifetime = 8 + random.next() % 4;
        const int size = 2 + random.next() % 3;
        Particle::spawn(field, random, lifetime, size, r, g, 0, 3, 5, 20, ParticleStyle::Dot, px, py);
    }
}

void Tank::draw(Surface& target) const
{
    const float s = static_cast<float>(static_cast<int>(size));
    const float px = static_cast<float>(cellCentre(x));
    const float py = static_cast<float>(cellCentre(y));
    target.fillBox(static_cast<int>(px - s), static_cast<int>(py - s), static_cast<int>(px + s),
                   static_cast<int>(py + s), colour);
    if (mode != Mode::Bombard) return;
    const float h = s * 0.5f;
    target.fillBox(static_cast<int>(px - h), static_cast<int>(py - h), static_cast<int>(px + h),
                   static_cast<int>(py + h), {255, 255, 255});
    if (aimPoint.isSet()) {
        const Colour c = addClamped(teamColour(team), {-150, -150, -150});
        target.drawLine(static_cast<int>(px), static_cast<int>(py),
                        static_cast<int>(kCellPixels * aimPoint.x + kCellPixels / 2),
                        static_cast<int>(kCellPixels * aimPoint.y + kCellPixels / 2), c);
    }
}
