#include "world/WorldInvariants.h"

#include <sstream>
#include <unordered_set>

#include "effects/Projectile.h"
#include "units/Entity.h"
#include "world/Battlefield.h"

std::string findInvariantViolation(const Battlefield& field)
{
    std::ostringstream problem;
    std::unordered_set<const Renderer*> objects(field.objects.begin(), field.objects.end());
    std::unordered_set<const Entity*> units;
    for (const Entity* unit : field.units) {
        if (!units.insert(unit).second) return "a unit is listed twice";
        if (objects.count(unit) == 0) return "a unit is missing from the object list";
        if (field.occupantAt(static_cast<float>(unit->x), static_cast<float>(unit->y)) != unit) {
            problem << "the unit at (" << unit->x << ", " << unit->y << ") is not its cell's occupant";
            return problem.str();
        }
    }
    size_t occupied = 0;
    for (int x = 0; x < kColumns; ++x) {
        for (int y = 0; y < kRows; ++y) {
            const Entity* occupant = field.occupantAt(static_cast<float>(x), static_cast<float>(y));
            if (occupant == nullptr) continue;
            ++occupied;
            if (units.count(occupant) == 0) {
                problem << "cell (" << x << ", " << y << ") holds a unit that is not in the unit list";
                return problem.str();
            }
        }
    }
    if (occupied != units.size()) return "the grid and the unit list disagree on the number of units";
    for (const Entity* unit : field.units) {
        if (unit->target != nullptr && units.count(unit->target) == 0) return "a target points outside the unit list";
    }
    for (const Renderer* object : field.objects) {
        if (object->getType() != kTypeEffect) continue;
        const auto* particle = static_cast<const Particle*>(object);
        if (particle->lifetime <= 0) return "an effect outlived its lifetime";
        const auto* shot = dynamic_cast<const Projectile*>(particle);
        if (shot != nullptr && shot->shooter != nullptr && units.count(shot->shooter) == 0) {
            return "a shot's shooter points outside the unit list";
        }
    }
    if (!field.graveyard.empty()) return "the graveyard was not emptied";
    return "";
}
