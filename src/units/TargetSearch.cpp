#include "units/TargetSearch.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "units/Entity.h"
#include "world/Battlefield.h"

namespace {

// The first enemy on ring r (cells at Manhattan distance r), in the search's own order.
Entity* firstEnemyOnRing(const Battlefield& field, const Entity& unit, int r)
{
    const float ux = static_cast<float>(unit.x);
    const float uy = static_cast<float>(unit.y);
    auto enemyAt = [&](float cx, float cy) -> Entity* {
        Entity* occupant = field.occupantAt(cx, cy);  // null outside the grid
        return (occupant != nullptr && occupant->team != unit.team) ? occupant : nullptr;
    };
    for (int i = 0; i < r; ++i) {
        const float fi = static_cast<float>(i);
        const float fj = static_cast<float>(r - i);
        // Four cells, each the previous turned by a quarter turn, starting straight below.
        if (Entity* e = enemyAt(ux + fi, uy + fj)) return e;
        if (Entity* e = enemyAt(ux - fj, uy + fi)) return e;
        if (Entity* e = enemyAt(ux - fi, uy - fj)) return e;
        if (Entity* e = enemyAt(ux + fj, uy - fi)) return e;
    }
    return nullptr;
}

bool insideGrid(int column, int row)
{
    return column >= 0 && row >= 0 && column < kColumns && row < kRows;
}

// The masks answer for a unit that stands on its cell of the grid (its own cell is then no
// enemy's and no ally's); the long ways answer for any other.
bool standsOnItsCell(const Battlefield& field, const Entity& unit)
{
    return field.occupantOfCell(unit.x, unit.y) == &unit;
}

// The same walk of ring r over the cells of the unit's enemies.
Entity* firstEnemyOnRing(const Battlefield& field, const CellMask& enemies, const Entity& unit, int r)
{
    auto enemyAt = [&](int cx, int cy) -> Entity* {
        if (!insideGrid(cx, cy) || !enemies.test(cx, cy)) return nullptr;
        return field.occupantOfCell(cx, cy);
    };
    for (int i = 0; i < r; ++i) {
        const int j = r - i;
        if (Entity* e = enemyAt(unit.x + i, unit.y + j)) return e;
        if (Entity* e = enemyAt(unit.x - j, unit.y + i)) return e;
        if (Entity* e = enemyAt(unit.x - i, unit.y - j)) return e;
        if (Entity* e = enemyAt(unit.x + j, unit.y - i)) return e;
    }
    return nullptr;
}

Vec2 cellOf(const Entity& unit)
{
    return {static_cast<float>(unit.x), static_cast<float>(unit.y)};
}

}  // namespace

Entity* findNearestEnemyByScan(const Battlefield& field, const Entity& unit, int rings)
{
    if (rings <= 0) return nullptr;
    for (int r = 1; r <= rings; ++r) {
        if (Entity* e = firstEnemyOnRing(field, unit, r)) return e;
    }
    return nullptr;
}

Entity* findNearestEnemy(const Battlefield& field, const Entity& unit, int rings)
{
    if (rings <= 0) return nullptr;
    const CellMask* enemies = field.enemyCells(unit.team);
    if (enemies == nullptr || !standsOnItsCell(field, unit)) return findNearestEnemyByScan(field, unit, rings);
    // The nearest ring holding any enemy, from the enemy nearest to the unit's column in each
    // row that holds one. The rows are taken outwards from the unit's own, nearest first (those
    // below and those above are two sets of bits); a row as far away as the best ring so far
    // cannot beat it, so the walk stops there. Then that ring alone is walked in the search's
    // order, so the first enemy is the same.
    const std::uint64_t rows = enemies->markedRowsIn(unit.y - rings, unit.y + rings);
    std::uint64_t below = rows & (~std::uint64_t{0} << unit.y);  // the unit's own row and those below it
    std::uint64_t above = rows & ~below;
    int nearest = rings + 1;
    while (below != 0 || above != 0) {
        const int down = below != 0 ? __builtin_ctzll(below) - unit.y : kRows;
        const int up = above != 0 ? unit.y - (63 - __builtin_clzll(above)) : kRows;
        const int dy = std::min(down, up);
        if (dy >= nearest) break;
        int row = 0;
        if (down <= up) {
            row = unit.y + down;
            below &= below - 1;
        } else {
            row = unit.y - up;
            above &= ~(std::uint64_t{1} << row);
        }
        nearest = std::min(nearest, dy + enemies->columnDistance(row, unit.x));
    }
    if (nearest > rings) return nullptr;
    return firstEnemyOnRing(field, *enemies, unit, nearest);
}

Vec2 stepTowards(const Battlefield& field, const Entity& unit, float destX, float destY)
{
    Vec2 result{static_cast<float>(unit.x), static_cast<float>(unit.y)};
    float best = 999999.0f;
    int bestHeight = 0;
    for (int index = 0; index <= 8; ++index) {
        const CellOffset offset = neighbourOffset(index);
        // The grid is read at whole cells; the distance is worked out in floats as ever.
        const int column = unit.x + static_cast<int>(offset.dx);
        const int row = unit.y + static_cast<int>(offset.dy);
        if (!insideGrid(column, row) || field.occupantOfCell(column, row) != nullptr) continue;
        const float cx = static_cast<float>(unit.x) + offset.dx;
        const float cy = static_cast<float>(unit.y) + offset.dy;
        const float d = (destX - cx) * (destX - cx) + (destY - cy) * (destY - cy);
        const int h = field.heightOfCell(column, row);
        if (d < best || (d == best && h > bestHeight)) {
            best = d;
            bestHeight = h;
            result = {cx, cy};
        }
    }
    return result;
}

Vec2 findFiringPosition(const Battlefield& field, const Entity& unit)
{
    Vec2 result{static_cast<float>(unit.x), static_cast<float>(unit.y)};
    int bestHeight = field.heightOfCell(unit.x, unit.y);
    const Entity* target = field.unit(unit.target());
    for (int index = 0; index <= 8; ++index) {
        const CellOffset offset = neighbourOffset(index);
        const int column = unit.x + static_cast<int>(offset.dx);
        const int row = unit.y + static_cast<int>(offset.dy);
        // Each test only rules a cell out, so the cheap ones go first and the range test last.
        if (!insideGrid(column, row) || field.occupantOfCell(column, row) != nullptr) continue;
        const int h = field.heightOfCell(column, row);
        if (h <= bestHeight) continue;
        if (target != nullptr && !unit.inRange(*target, column, row)) continue;
        bestHeight = h;
        result = {static_cast<float>(unit.x) + offset.dx, static_cast<float>(unit.y) + offset.dy};
    }
    return result;
}

Vec2 findAllyFightByWalk(const Battlefield& field, const Entity& unit)
{
    Vec2 result;
    float best = 1e8f;
    for (const Entity* u : field.units()) {
        if (u == &unit || u->team != unit.team) continue;
        const float dx = static_cast<float>(u->x - unit.x);
        const float dy = static_cast<float>(u->y - unit.y);
        const float d = dx * dx + dy * dy;
        const Entity* target = field.unit(u->target());
        if (u->getType() == ObjectKind::Base && target != nullptr) return cellOf(*target);  // a base under attack wins
        const bool answeringFire = u->travelSteps() > 0 && u->travelReason() == TravelReason::AnswerFire;
        if ((target != nullptr || answeringFire) && d < best) {
            best = d;
            result = target != nullptr ? cellOf(*target) : u->destination();
        }
    }
    return result;
}

Vec2 findAllyFight(const Battlefield& field, const Entity& unit)
{
    const CellMask* fights = field.fightCells(unit.team);
    if (fights == nullptr || !standsOnItsCell(field, unit)) return findAllyFightByWalk(field, unit);
    // An ally base under attack wins whatever else is found.
    for (const Entity* base : field.bases()) {
        if (base == &unit || base->team != unit.team) continue;
        if (const Entity* target = field.unit(base->target())) return cellOf(*target);
    }
    if (fights->markedRowsIn(0, kRows - 1) == 0) return Vec2();
    // The nearest ally in a fight: in each row only the nearest marked cell on either side can
    // be the nearest of the row; equal distances go to the ally registered first, as in a walk
    // of the unit list.
    Vec2 result;
    float best = 1e8f;
    unsigned long bestSerial = 0;
    auto consider = [&](int column, int row) {
        if (column < 0) return;
        const Entity* ally = field.occupantAt(static_cast<float>(column), static_cast<float>(row));
        if (ally == nullptr) return;
        const float dx = static_cast<float>(column - unit.x);
        const float dy = static_cast<float>(row - unit.y);
        const float d = dx * dx + dy * dy;
        if (d < best || (d == best && ally->serial() < bestSerial)) {
            best = d;
            bestSerial = ally->serial();
            const Entity* target = field.unit(ally->target());
            result = target != nullptr ? cellOf(*target) : ally->destination();
        }
    };
    // Rows outwards from the unit's own: once a row lies further than the best so far, every
    // row after it does too.
    auto considerRow = [&](int row) {
        if (fights->markedRowsIn(row, row) == 0) return;
        if (row == unit.y) {  // the unit's own cell is not an ally
            consider(fights->nearestAtOrLeft(row, unit.x - 1), row);
            consider(fights->nearestAtOrRight(row, unit.x + 1), row);
            return;
        }
        const int left = fights->nearestAtOrLeft(row, unit.x);
        consider(left, row);
        const int right = fights->nearestAtOrRight(row, unit.x);
        if (right != left) consider(right, row);
    };
    for (int dy = 0; dy < kRows; ++dy) {
        const float fdy = static_cast<float>(dy);
        if (fdy * fdy > best) break;
        if (unit.y + dy < kRows) considerRow(unit.y + dy);
        if (dy > 0 && unit.y - dy >= 0) considerRow(unit.y - dy);
    }
    return result;
}
