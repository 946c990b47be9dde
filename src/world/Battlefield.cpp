#include "world/Battlefield.h"

#include <algorithm>

#include "units/Entity.h"
#include "world/Random.h"

namespace {
Battlefield* theBattlefield = nullptr;
}

Battlefield* getBattlefield()
{
    if (theBattlefield == nullptr) {
        theBattlefield = new Battlefield();
        theBattlefield->generateTerrain();
    }
    return theBattlefield;
}

Battlefield* installBattlefield(Battlefield* field)
{
    Battlefield* previous = theBattlefield;
    theBattlefield = field;
    return previous;
}

Battlefield::Battlefield()
{
    terrainChanged();
    for (int x = 0; x < kColumns; ++x) {
        for (int y = 0; y < kRows; ++y) {
            occupant[x][y] = nullptr;
            height[x][y] = 0;
        }
    }
}

Battlefield::~Battlefield()
{
    for (Renderer* object : objects) delete object;
}

// ---- terrain ----

void Battlefield::generateTerrain()
{
    const int hills = battleRand() % 15 + 20;
    for (int n = 0; n < hills; ++n) {
        // Each hill draws column, row and peak in that order.
        const int cx = (battleRand() % (kColumns * kCellPixels)) / kCellPixels;
        const int cy = (battleRand() % (kRows * kCellPixels)) / kCellPixels;
        const int peak = battleRand() % kMaxHeight + 1;
        raiseHill(cx, cy, peak);
    }
}

void Battlefield::raiseHill(int cx, int cy, int peak)
{
    auto raise = [this](int x, int y, int amount) {
        if (x >= 0 && x < kColumns && y >= 0 && y < kRows) height[x][y] += amount;
    };
    raise(cx, cy, peak);
    for (int k = 1; k < peak; ++k) {
        const int amount = peak - k;
        for (int i = 0; i < k; ++i) {
            const int j = k - i;
            raise(cx + i, cy + j, amount);
            raise(cx - j, cy + i, amount);
            raise(cx - i, cy - j, amount);
            raise(cx + j, cy - i, amount);
        }
    }
    for (auto& column : height) {
        for (int& h : column) h = std::clamp(h, 0, kMaxHeight);
    }
    terrainChanged();
}

void Battlefield::terrainChanged()
{
    static unsigned long lastStamp = 0;
    terrainStamp_ = ++lastStamp;
}

void Battlefield::setHeight(int x, int y, int h)
{
    if (x >= 0 && x < kColumns && y >= 0 && y < kRows) height[x][y] = std::clamp(h, 0, kMaxHeight);
    terrainChanged();
}

// ---- cell queries ----

void Battlefield::moveEntity(Entity* entity, float x, float y)
{
    // The old cell is cleared first, so a move onto the unit's own cell leaves it in place.
    const int nx = static_cast<int>(x);
    const int ny = static_cast<int>(y);
    occupant[entity->x][entity->y] = nullptr;
    if (indexedTeam(entity->team)) {
        teamCells_[entity->team].clear(entity->x, entity->y);
        teamCells_[entity->team].set(nx, ny);
        if (entity->inFightIndex_) {
            fightCells_[entity->team].clear(entity->x, entity->y);
            fightCells_[entity->team].set(nx, ny);
        }
    }
    occupant[nx][ny] = entity;
    entity->x = nx;
    entity->y = ny;
}

// ---- indexes ----

const CellMask* Battlefield::enemyCells(int team) const
{
    if (unindexedUnits_ > 0 || !indexedTeam(team)) return nullptr;
    return &teamCells_[1 - team];
}

const CellMask* Battlefield::fightCells(int team) const
{
    if (unindexedUnits_ > 0 || !indexedTeam(team)) return nullptr;
    return &fightCells_[team];
}

void Battlefield::noteFightState(Entity* unit)
{
    // A unit queued for removal stays in the unit list until the sweep, and the searches still
    // count it there: its fight state is indexed like any other's until it leaves the grid.
    if (unit->home_ != this || !indexedTeam(unit->team)) return;
    const bool fighting = unit->inFight();
    if (fighting == unit->inFightIndex_) return;
    unit->inFightIndex_ = fighting;
    if (fighting) {
        fightCells_[unit->team].set(unit->x, unit->y);
    } else {
        fightCells_[unit->team].clear(unit->x, unit->y);
    }
}

// ---- object lists ----

Entity* Battlefield::registerUnit(Entity* entity)
{
    const int x = entity->x;
    const int y = entity->y;
    if (x < 0 || y < 0 || x >= kColumns || y >= kRows || occupant[x][y] != nullptr) {
        delete entity;
        return nullptr;
    }
    occupant[x][y] = entity;
    entity->onGrid = true;
    entity->home_ = this;
    entity->serial_ = ++nextSerial_;
    if (indexedTeam(entity->team)) {
        teamCells_[entity->team].set(x, y);
    } else {
        ++unindexedUnits_;
    }
    if (entity->getType() == kTypeBase) bases_.push_back(entity);
    units.push_back(entity);
    objects.push_back(entity);
    noteFightState(entity);
    return entity;
}

void Battlefield::addObject(Renderer* object)
{
    objects.push_back(object);
}

void Battlefield::queueRemoval(Renderer* object, bool unique)
{
    // An object is queued at most once: a second entry would destroy it twice.
    (void)unique;
    if (object == nullptr || object->queued) return;
    object->queued = true;
    if (object->onGrid) ++queuedUnits_;
    graveyard.push_back(object);
}

void Battlefield::updatePass()
{
    if (gameOver == 0) {
        // Indexed, not iterated: objects appended during the walk are updated in this pass.
        for (size_t i = 0; i < objects.size(); ++i) objects[i]->update();
    }
    removalSweep();
}

void Battlefield::removalSweep()
{
    if (graveyard.empty()) return;
    // Everything queued is marked, so the lists are compacted in one walk each, keeping their
    // order, instead of being searched once per removed object. Most passes remove only
    // effects: the unit list is walked only when a unit is queued.
    objects.erase(std::remove_if(objects.begin(), objects.end(), [](const Renderer* o) { return o->queued; }),
                  objects.end());
    bool unitRemoved = false;
    if (queuedUnits_ > 0) {
        size_t kept = 0;
        for (Entity* unit : units) {
            if (unit->queued) {
                unregisterUnit(unit);
                unitRemoved = true;
            } else {
                units[kept++] = unit;
            }
        }
        units.resize(kept);
        queuedUnits_ = 0;
    }
    if (unitRemoved) {
        // Nobody may keep pointing at a unit that is about to be destroyed.
        for (Entity* unit : units) {
            if (unit->target() != nullptr && unit->target()->queued) unit->setTarget(nullptr);
        }
        for (Renderer* object : objects) object->forgetRemovedUnits();
        bases_.erase(std::remove_if(bases_.begin(), bases_.end(), [](const Entity* b) { return b->queued; }),
                     bases_.end());
    }
    for (Renderer* object : graveyard) {
        object->onRemoved();
        delete object;
    }
    graveyard.clear();
}

void Battlefield::unregisterUnit(Entity* entity)
{
    if (occupant[entity->x][entity->y] == entity) occupant[entity->x][entity->y] = nullptr;
    if (indexedTeam(entity->team)) {
        teamCells_[entity->team].clear(entity->x, entity->y);
        if (entity->inFightIndex_) fightCells_[entity->team].clear(entity->x, entity->y);
    } else {
        --unindexedUnits_;
    }
    entity->inFightIndex_ = false;
    entity->onGrid = false;
    entity->home_ = nullptr;
}
