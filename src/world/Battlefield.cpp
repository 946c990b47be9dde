#include "world/Battlefield.h"

#include <algorithm>
#include <cstdlib>

#include "units/Entity.h"

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

CellOffset neighbourOffset(int index)
{
    static const CellOffset offsets[9] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1},
                                          {0, 1},   {-1, 1}, {-1, 0}, {0, 0}};
    if (index < 0 || index > 8) return {0, 0};
    return offsets[index];
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
    const int hills = rand() % 15 + 20;
    for (int n = 0; n < hills; ++n) {
        // Each hill draws column, row and peak in that order.
        const int cx = (rand() % (kColumns * kCellPixels)) / kCellPixels;
        const int cy = (rand() % (kRows * kCellPixels)) / kCellPixels;
        const int peak = rand() % kMaxHeight + 1;
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

bool Battlefield::insideGrid(float x, float y)
{
    return !(x < 0 || y < 0 || x >= kColumns || y >= kRows);
}

Entity* Battlefield::occupantAt(float x, float y) const
{
    if (!insideGrid(x, y)) return nullptr;
    return occupant[static_cast<int>(x)][static_cast<int>(y)];
}

int Battlefield::heightAt(float x, float y) const
{
    if (!insideGrid(x, y)) return -1;
    return height[static_cast<int>(x)][static_cast<int>(y)];
}

bool Battlefield::isFreeCell(float x, float y) const
{
    if (!insideGrid(x, y)) return false;
    return occupant[static_cast<int>(x)][static_cast<int>(y)] == nullptr;
}

void Battlefield::moveEntity(Entity* entity, float x, float y)
{
    // The old cell is cleared first, so a move onto the unit's own cell leaves it in place.
    occupant[entity->x][entity->y] = nullptr;
    const int nx = static_cast<int>(x);
    const int ny = static_cast<int>(y);
    occupant[nx][ny] = entity;
    entity->x = nx;
    entity->y = ny;
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
    units.push_back(entity);
    objects.push_back(entity);
    return entity;
}

void Battlefield::addObject(Renderer* object)
{
    objects.push_back(object);
}

void Battlefield::queueRemoval(Renderer* object, bool unique)
{
    if (unique && std::find(graveyard.begin(), graveyard.end(), object) != graveyard.end()) return;
    graveyard.push_back(object);
}

void Battlefield::updatePass()
{
    if (gameOver == 0) {
        // Objects appended during the walk come before end() and are updated in this pass.
        for (auto it = objects.begin(); it != objects.end(); ++it) (*it)->update();
    }
    removalSweep();
}

void Battlefield::removalSweep()
{
    for (Renderer* object : graveyard) {
        if (object == nullptr) continue;
        auto found = std::find(objects.begin(), objects.end(), object);
        if (found != objects.end()) objects.erase(found);
        const int type = object->getType();
        if (type == kTypeMobileUnit || type == kTypeBase) unregisterUnit(static_cast<Entity*>(object));
        object->onRemoved();
        delete object;
    }
    graveyard.clear();
}

void Battlefield::unregisterUnit(Entity* entity)
{
    if (occupant[entity->x][entity->y] == entity) occupant[entity->x][entity->y] = nullptr;
    auto found = std::find(units.begin(), units.end(), entity);
    if (found != units.end()) units.erase(found);
    for (Entity* unit : units) {
        if (unit->target == entity) unit->target = nullptr;
    }
    // Shots still in flight must never reach back to a destroyed shooter.
    for (Renderer* object : objects) object->forgetUnit(entity);
}
