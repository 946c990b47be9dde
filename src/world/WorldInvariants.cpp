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

    // The cell masks the searches use must mirror the grid and the units' fight state.
    int teamUnits[2] = {0, 0};
    int fighting[2] = {0, 0};
    for (const Entity* unit : field.units) {
        if (unit->team != 0 && unit->team != 1) return "";  // the masks are not used then
        const CellMask& ownCells = *field.enemyCells(1 - unit->team);
        if (!ownCells.test(unit->x, unit->y)) return "a unit's cell is not marked for its team";
        ++teamUnits[unit->team];
        const bool inFight =
            unit->target != nullptr || (unit->travelSteps > 0 && unit->travelReason == kTravelAnswerFire);
        if (inFight != field.fightCells(unit->team)->test(unit->x, unit->y)) {
            problem << "the fight mark of the unit at (" << unit->x << ", " << unit->y << ") is out of date";
            return problem.str();
        }
        fighting[unit->team] += inFight ? 1 : 0;
    }
    for (int team = 0; team < 2; ++team) {
        if (field.enemyCells(1 - team)->count() != teamUnits[team]) return "a team's cell mask marks an empty cell";
        if (field.fightCells(team)->count() != fighting[team]) return "a fight mark was left behind";
    }
    return "";
}
