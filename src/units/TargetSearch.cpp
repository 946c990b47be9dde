#include "units/TargetSearch.h"

#include "units/Entity.h"
#include "world/Battlefield.h"

Entity* findNearestEnemy(const Entity& unit, int rings)
{
    if (rings <= 0) return nullptr;
    const Battlefield& field = *getBattlefield();
    const float ux = static_cast<float>(unit.x);
    const float uy = static_cast<float>(unit.y);
    auto enemyAt = [&](float cx, float cy) -> Entity* {
        Entity* occupant = field.occupantAt(cx, cy);  // null outside the grid
        return (occupant != nullptr && occupant->team != unit.team) ? occupant : nullptr;
    };
    for (int r = 1; r <= rings; ++r) {
        for (int i = 0; i < r; ++i) {
            const float fi = static_cast<float>(i);
            const float fj = static_cast<float>(r - i);
            // Four cells, each the previous turned by a quarter turn, starting straight below.
            if (Entity* e = enemyAt(ux + fi, uy + fj)) return e;
            if (Entity* e = enemyAt(ux - fj, uy + fi)) return e;
            if (Entity* e = enemyAt(ux - fi, uy - fj)) return e;
            if (Entity* e = enemyAt(ux + fj, uy - fi)) return e;
        }
    }
    return nullptr;
}

Vec2 stepTowards(const Entity& unit, float destX, float destY)
{
    const Battlefield& field = *getBattlefield();
    Vec2 result{static_cast<float>(unit.x), static_cast<float>(unit.y)};
    float best = 999999.0f;
    int bestHeight = 0;
    for (int index = 0; index <= 8; ++index) {
        const CellOffset offset = neighbourOffset(index);
        const float cx = static_cast<float>(unit.x) + offset.dx;
        const float cy = static_cast<float>(unit.y) + offset.dy;
        if (!field.isFreeCell(cx, cy)) continue;
        const float d = (destX - cx) * (destX - cx) + (destY - cy) * (destY - cy);
        const int h = field.heightAt(cx, cy);
        if (d < best || (d == best && h > bestHeight)) {
            best = d;
            bestHeight = h;
            result = {cx, cy};
        }
    }
    return result;
}

Vec2 findFiringPosition(const Entity& unit)
{
    const Battlefield& field = *getBattlefield();
    Vec2 result{static_cast<float>(unit.x), static_cast<float>(unit.y)};
    int bestHeight = field.heightAt(result.x, result.y);
    for (int index = 0; index <= 8; ++index) {
        const CellOffset offset = neighbourOffset(index);
        const float cx = static_cast<float>(unit.x) + offset.dx;
        const float cy = static_cast<float>(unit.y) + offset.dy;
        if (cx < 0 || cy < 0 || cx >= kColumns || cy >= kRows) continue;
        if (unit.target != nullptr && !unit.inRange(static_cast<int>(cx), static_cast<int>(cy))) continue;
        if (field.occupantAt(cx, cy) != nullptr) continue;
        const int h = field.heightAt(cx, cy);
        if (h <= bestHeight) continue;
        bestHeight = h;
        result = {cx, cy};
    }
    return result;
}

Vec2 findAllyFight(const Battlefield& field, const Entity& unit)
{
    Vec2 result;
    float best = 1e8f;
    for (const Entity* u : field.units) {
        if (u == &unit || u->team != unit.team) continue;
        const float dx = static_cast<float>(u->x - unit.x);
        const float dy = static_cast<float>(u->y - unit.y);
        const float d = dx * dx + dy * dy;
        if (u->getType() == kTypeBase && u->target != nullptr) {
            return {static_cast<float>(u->target->x), static_cast<float>(u->target->y)};  // a base under attack wins
        }
        const bool answeringFire = u->travelSteps > 0 && u->travelReason == kTravelAnswerFire;
        if ((u->target != nullptr || answeringFire) && d < best) {
            best = d;
            result = u->target != nullptr ? Vec2{static_cast<float>(u->target->x), static_cast<float>(u->target->y)}
                                          : u->destination;
        }
    }
    return result;
}
