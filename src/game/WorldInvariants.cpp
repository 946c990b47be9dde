#include "game/WorldInvariants.h"

#include <sstream>
#include <unordered_set>

#include "effects/Projectile.h"
#include "units/Entity.h"
#include "units/TargetSearch.h"
#include "world/Battlefield.h"

namespace {

std::string at(const char* what, const Entity& unit)
{
    std::ostringstream text;
    text << what << " of the unit at (" << unit.x << ", " << unit.y << ")";
    return text.str();
}

// Written out here rather than asked of the unit, so that the check does not share the code
// it checks.
bool answeringOrEngaged(const Entity& unit)
{
    return unit.target().isSet() || (unit.travelSteps() > 0 && unit.travelReason() == TravelReason::AnswerFire);
}

}  // namespace

std::string findIndexViolation(const Battlefield& field)
{
    for (const Entity* unit : field.units()) {
        if (field.occupantAt(static_cast<float>(unit->x), static_cast<float>(unit->y)) != unit) {
            return at("the cell", *unit) + " does not hold it";
        }
    }
    CellMask teamCells[2];
    CellMask fightCells[2];
    for (const Entity* unit : field.units()) {
        if (unit->team != 0 && unit->team != 1) return "";  // the masks are not used then
        teamCells[unit->team].set(unit->x, unit->y);
        if (answeringOrEngaged(*unit)) fightCells[unit->team].set(unit->x, unit->y);
    }
    for (int team = 0; team < 2; ++team) {
        const CellMask* ownCells = field.enemyCells(1 - team);
        const CellMask* fights = field.fightCells(team);
        for (int x = 0; x < kColumns; ++x) {
            for (int y = 0; y < kRows; ++y) {
                const char* stale = nullptr;
                if (ownCells->test(x, y) != teamCells[team].test(x, y)) stale = "unit";
                if (fights->test(x, y) != fightCells[team].test(x, y)) stale = "fight";
                if (stale == nullptr) continue;
                std::ostringstream text;
                text << "the " << stale << " mark is out of date for team " << team << " at (" << x << ", " << y << ")";
                return text.str();
            }
        }
    }
    return "";
}

std::string findSearchDisagreement(const Battlefield& field)
{
    for (const Entity* unit : field.units()) {
        for (const int rings : {0, 5, 10, 20, 25}) {
            if (findNearestEnemy(field, *unit, rings) != findNearestEnemyByScan(field, *unit, rings)) {
                std::ostringstream text;
                text << at("the nearest enemy", *unit) << " within " << rings << " rings differs from the scan";
                return text.str();
            }
        }
        const Vec2 fast = findAllyFight(field, *unit);
        const Vec2 walked = findAllyFightByWalk(field, *unit);
        if (fast.x != walked.x || fast.y != walked.y) {
            std::ostringstream text;
            text << at("the ally fight", *unit) << " is (" << fast.x << ", " << fast.y << "), the walk gives ("
                 << walked.x << ", " << walked.y << ")";
            return text.str();
        }
    }
    return "";
}

std::string findInvariantViolation(const Battlefield& field)
{
    std::unordered_set<const Renderer*> objects;
    for (const std::unique_ptr<Renderer>& object : field.objects) objects.insert(object.get());
    std::unordered_set<const Entity*> units;
    for (const Entity* unit : field.units()) {
        if (!units.insert(unit).second) return "a unit is listed twice";
        if (objects.count(unit) == 0) return "a unit is missing from the object list";
        if (field.unit(unit->id()) != unit) return at("the handle", *unit) + " does not name it";
    }
    const std::string index = findIndexViolation(field);
    if (!index.empty()) return index;
    size_t occupied = 0;
    for (int x = 0; x < kColumns; ++x) {
        for (int y = 0; y < kRows; ++y) {
            const Entity* occupant = field.occupantAt(static_cast<float>(x), static_cast<float>(y));
            if (occupant == nullptr) continue;
            ++occupied;
            if (units.count(occupant) == 0) {
                std::ostringstream problem;
                problem << "cell (" << x << ", " << y << ") holds a unit that is not in the unit list";
                return problem.str();
            }
        }
    }
    if (occupied != units.size()) return "the grid and the unit list disagree on the number of units";
    for (const Entity* unit : field.units()) {
        if (!unit->target().isSet()) continue;
        const Entity* target = field.unit(unit->target());
        if (target == nullptr) return at("the target", *unit) + " is gone";
        if (units.count(target) == 0) return "a target points outside the unit list";
    }
    for (const std::unique_ptr<Renderer>& object : field.objects) {
        if (object->getType() != ObjectKind::Effect) continue;
        const auto* particle = dynamic_cast<const Particle*>(object.get());
        if (particle == nullptr) continue;  // an effect of another kind has no lifetime
        if (particle->lifetime <= 0) return "an effect outlived its lifetime";
        const auto* shot = dynamic_cast<const Projectile*>(particle);
        const Entity* shooter = shot != nullptr ? field.unit(shot->shooter) : nullptr;
        if (shooter != nullptr && units.count(shooter) == 0) {
            return "a shot's shooter points outside the unit list";
        }
    }
    if (!field.graveyard.empty()) return "the graveyard was not emptied";
    return "";
}
