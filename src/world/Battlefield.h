#pragma once

#include <deque>
#include <memory>
#include <string_view>
#include <vector>

#include "units/Renderer.h"
#include "world/CellMask.h"
#include "world/Grid.h"
#include "world/Team.h"

class Entity;
class Random;

// The world of one battle: the occupant and height grids, the object lists and the game-over
// state. It owns every object in it. Whoever updates or searches it is handed it; a copy is a
// whole world of its own, every object copied and every reference between them pointing into
// the copy.
class Battlefield {
public:
    Battlefield();   // empty lists, empty grid, flat terrain
    ~Battlefield();  // destroys every object it owns

    Battlefield(const Battlefield& other);  // the same world, object for object
    Battlefield& operator=(const Battlefield&) = delete;

    // ---- terrain ----
    void generateTerrain(Random& random);      // random hills
    void raiseHill(int cx, int cy, int peak);  // one diamond hill, clamped to 0..15
    void setHeight(int x, int y, int h);       // for building a known terrain
    // The heights as bytes: two battlefields with the same key have the same terrain.
    std::string_view terrainKey() const { return {reinterpret_cast<const char*>(height), sizeof height}; }

    // ---- cell queries (float cell coordinates, bounds tested before truncation) ----
    // Defined after the class: every decision step asks them many times.
    Entity* occupantAt(float x, float y) const;
    int heightAt(float x, float y) const;
    bool isFreeCell(float x, float y) const;
    Entity* occupantOfCell(int x, int y) const;  // occupantAt for a whole cell, without the conversions
    int heightOfCell(int x, int y) const;        // heightAt for a whole cell, without the conversions
    void moveEntity(Entity* entity, float x, float y);

    // ---- object lists ----
    // Places the unit on its cell and returns it; destroys it and returns null when the cell
    // lies off the grid or is taken.
    Entity* registerUnit(std::unique_ptr<Entity> entity);
    void addObject(std::unique_ptr<Renderer> object);  // appended: updated and drawn after the rest
    void queueRemoval(Renderer* object);               // removed at the end of the pass
    void updatePass(Random& random);                   // one tick over all objects, then sweep

    // ---- effects nobody sees ----
    // A battle played with nobody watching (the lab's) need not make the particles that only
    // the picture shows. Such a field keeps no particle, only their number: each is counted from
    // the moment it would have been made until the end of the pass in which it would have run
    // out of lifetime, so objectCount() is the same as if it had been made.
    bool effectsShown() const { return effectsShown_; }
    void setEffectsShown(bool shown) { effectsShown_ = shown; }
    // A particle that nobody sees, made in the pass under way with this lifetime.
    void countUnseenEffect(int lifetime);
    // The objects of the battle: those in the list and the effects nobody sees.
    std::size_t objectCount() const { return objects.size() + unseenEffects_; }

    // ---- memory ----
    static constexpr std::size_t kBytesPerObject = 256;  // at least any object with its allocation
    std::size_t memoryBytes() const;                     // at least what this battlefield takes

    // ---- state ----
    bool gameOver = false;                           // a base has fallen; never reset
    std::vector<std::unique_ptr<Renderer>> objects;  // every live object, in update and draw order
    std::vector<Entity*> units;                      // every unit standing on the grid, in registration order
    std::vector<Renderer*> graveyard;                // objects queued for removal in this pass
    int eliminatedTeam = kNoTeam;                    // team of the fallen base

    // ---- indexes beside the grid, so that searches need not walk the lists ----
    // The cells held by the enemies of a team; null when some unit's team is not 0 or 1.
    const CellMask* enemyCells(int team) const;
    // The cells of a team's units that are engaged or answering fire; null as above.
    const CellMask* fightCells(int team) const;
    const std::vector<Entity*>& bases() const { return bases_; }  // in registration order

private:
    friend class Entity;                // reports every change of a unit's fight state
    void noteFightState(Entity* unit);  // keeps fightCells true for one unit

    void removalSweep();
    void unregisterUnit(Entity* entity);
    static bool insideGrid(float x, float y);
    static bool indexedTeam(int team) { return team == 0 || team == 1; }

    Entity* occupant[kColumns][kRows];  // unit on each cell, null when empty
    int height[kColumns][kRows];        // terrain height 0..15 of each cell

    CellMask teamCells_[2];         // cells held by each team's units
    CellMask fightCells_[2];        // cells of each team's units in a fight
    std::vector<Entity*> bases_;    // the units of kind base, in registration order
    int unindexedUnits_ = 0;        // units of a team other than 0 and 1 (tests only)
    int queuedUnits_ = 0;           // units in the graveyard: the sweep walks the unit list only then
    unsigned long nextSerial_ = 0;  // registration order of units

    bool effectsShown_ = true;       // particles are made; otherwise only counted
    std::size_t unseenEffects_ = 0;  // particles counted, not made, still alive
    std::deque<int> unseenEndings_;  // of those: how many end with this pass, the next one, ...
};

inline bool Battlefield::insideGrid(float x, float y)
{
    return !(x < 0 || y < 0 || x >= kColumns || y >= kRows);
}

inline Entity* Battlefield::occupantAt(float x, float y) const
{
    if (!insideGrid(x, y)) return nullptr;
    return occupant[static_cast<int>(x)][static_cast<int>(y)];
}

inline Entity* Battlefield::occupantOfCell(int x, int y) const
{
    if (x < 0 || y < 0 || x >= kColumns || y >= kRows) return nullptr;
    return occupant[x][y];
}

inline int Battlefield::heightOfCell(int x, int y) const
{
    if (x < 0 || y < 0 || x >= kColumns || y >= kRows) return -1;
    return height[x][y];
}

inline int Battlefield::heightAt(float x, float y) const
{
    if (!insideGrid(x, y)) return -1;
    return height[static_cast<int>(x)][static_cast<int>(y)];
}

inline bool Battlefield::isFreeCell(float x, float y) const
{
    if (!insideGrid(x, y)) return false;
    return occupant[static_cast<int>(x)][static_cast<int>(y)] == nullptr;
}
