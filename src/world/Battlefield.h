#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

#include "units/Renderer.h"
#include "world/CellMask.h"
#include "world/Grid.h"
#include "world/Team.h"
#include "world/UnitId.h"
#include "world/UnitRange.h"

class Entity;
class Random;

// The world of one battle: the occupant and height grids, the object lists and the game-over
// state. It owns every object in it. Whoever updates or searches it is handed it. Every unit
// has a slot in its table of units for as long as it stands on the grid; the grid, the unit
// and base lists and every reference from one object to a unit (a UnitId) name units by their
// slots, and only the table holds their addresses. So a copy is a whole world of its own: every
// object copied, the table filled in from the copied units, everything else copied as it is.
class Battlefield {
public:
    Battlefield();   // empty lists, empty grid, flat terrain
    ~Battlefield();  // destroys every object it owns

    // The same world, object for object. Taken in the middle of a pass (by an object's update),
    // the copy's next updatePass finishes that pass from the object after the one updating.
    Battlefield(const Battlefield& other);
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

    // ---- units ----
    // The unit a handle names; null for no unit, or a unit the removal sweep has taken away.
    // A unit queued for removal is still there until the sweep.
    Entity* unit(UnitId id) const;
    // Every unit standing on the grid, in registration order, and of those the bases.
    UnitRange units() const { return {unitSlots_.data(), unitSlots_.size(), slotUnits_.data()}; }
    UnitRange bases() const { return {baseSlots_.data(), baseSlots_.size(), slotUnits_.data()}; }

    // ---- object lists ----
    // Places the unit on its cell and returns it; destroys it and returns null when the cell
    // lies off the grid or is taken.
    Entity* registerUnit(std::unique_ptr<Entity> entity);
    void addObject(std::unique_ptr<Renderer> object);  // appended: updated and drawn after the rest
    // Removed at the end of the pass; an object not in the list is left alone.
    void queueRemoval(Renderer* object);
    void updatePass(Random& random);  // one tick over all objects, then sweep

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
    // The objects queued for removal in this pass, by their places in objects, in the order they
    // were queued. Objects are only appended during a pass, so the places hold until the sweep.
    std::vector<std::size_t> graveyard;
    int eliminatedTeam = kNoTeam;  // team of the fallen base

    // ---- indexes beside the grid, so that searches need not walk the lists ----
    // The cells held by the enemies of a team; null when some unit's team is not 0 or 1.
    const CellMask* enemyCells(int team) const;
    // The cells of a team's units that are engaged or answering fire; null as above.
    const CellMask* fightCells(int team) const;

private:
    friend class Entity;                // reports every change of a unit's fight state
    void noteFightState(Entity& unit);  // keeps fightCells true for one unit

    void removalSweep();
    void unregisterUnit(Entity& entity);
    static bool insideGrid(float x, float y);
    static bool indexedTeam(int team) { return team == 0 || team == 1; }

    // A cell's slot fits in 16 bits: every slot but 0 belongs to a unit with a cell of its own.
    using CellSlot = std::uint16_t;
    static constexpr std::uint32_t kSlotLimit = 0x10000;  // slots of the table at most

    CellSlot occupant[kColumns][kRows];  // slot of the unit on each cell, 0 when empty
    int height[kColumns][kRows];         // terrain height 0..15 of each cell

    // ---- the table of units: slot 0 is no unit ----
    std::vector<Entity*> slotUnits_{nullptr};    // the unit in each slot; null while free
    std::vector<std::uint32_t> generations_{0};  // of each slot: one more every time it is freed
    std::vector<std::uint32_t> freeSlots_;       // taken again, the last freed first
    std::vector<std::uint32_t> unitSlots_;       // every unit on the grid, in registration order
    std::vector<std::uint32_t> baseSlots_;       // the units of kind base, in registration order
    std::size_t nextUpdate_ = 0;                 // of the pass under way: the object updated next

    CellMask teamCells_[2];         // cells held by each team's units
    CellMask fightCells_[2];        // cells of each team's units in a fight
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
    return slotUnits_[occupant[static_cast<int>(x)][static_cast<int>(y)]];
}

inline Entity* Battlefield::occupantOfCell(int x, int y) const
{
    if (x < 0 || y < 0 || x >= kColumns || y >= kRows) return nullptr;
    return slotUnits_[occupant[x][y]];
}

inline Entity* Battlefield::unit(UnitId id) const
{
    if (id.slot >= generations_.size() || generations_[id.slot] != id.generation) return nullptr;
    return slotUnits_[id.slot];
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
    return occupant[static_cast<int>(x)][static_cast<int>(y)] == 0;
}
