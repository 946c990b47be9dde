#pragma once

#include "units/Vec2.h"

class Battlefield;
class Entity;

// The senses and legs of a unit's decision step. None of them keeps state or allocates;
// they only read the grids and the unit list of the battlefield they are given, and the
// caller acts on the result.

// First enemy found in diamond rings 1..rings around the unit, or null.
Entity* findNearestEnemy(const Battlefield& field, const Entity& unit, int rings);

// The free neighbour nearest to (destX, destY); the unit's own cell when none is free.
Vec2 stepTowards(const Battlefield& field, const Entity& unit, float destX, float destY);

// The highest free neighbour strictly above the unit's cell that keeps its target in range;
// the unit's own cell when there is none.
Vec2 findFiringPosition(const Battlefield& field, const Entity& unit);

// A cell where the unit's team is fighting, or none.
Vec2 findAllyFight(const Battlefield& field, const Entity& unit);

// The same two searches done the long way, cell by cell around the unit and unit by unit
// through the list. The fast ones above use the battlefield's cell masks and fall back on
// these where the masks do not apply; they must always agree.
Entity* findNearestEnemyByScan(const Battlefield& field, const Entity& unit, int rings);
Vec2 findAllyFightByWalk(const Battlefield& field, const Entity& unit);
