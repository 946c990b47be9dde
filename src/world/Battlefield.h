#pragma once

#include <vector>

#include "world/CellMask.h"
#include "world/Grid.h"

class Entity;
class Renderer;

// The single world object: the occupant and height grids, the object lists and the
// game-over state. Everything in the simulation reaches the world through getBattlefield().
class Battlefield {
public:
    Battlefield();   // empty lists, empty grid, flat terrain
    ~Battlefield();  // destroys every object it owns

    Battlefield(const Battlefield&) = delete;
    Battlefield& operator=(const Battlefield&) = delete;

    // ---- terrain ----
    void generateTerrain();                                       // random hills, drawn from battleRand()
    void raiseHill(int cx, int cy, int peak);                     // one diamond hill, clamped to 0..15
    void setHeight(int x, int y, int h);                          // for building a known terrain
    unsigned long terrainStamp() const { return terrainStamp_; }  // changes with every terrain change

    // ---- cell queries (float cell coordinates, bounds tested before truncation) ----
    // Defined after the class: every decision step asks them many times.
    Entity* occupantAt(float x, float y) const;
    int heightAt(float x, float y) const;
    bool isFreeCell(float x, float y) const;
    Entity* occupantOfCell(int x, int y) const;  // occupantAt for a whole cell, without the conversions
    int heightOfCell(int x, int y) const;        // heightAt for a whole cell, without the conversions
    void moveEntity(Entity* entity, float x, float y);

    // ---- object lists ----
    Entity* registerUnit(Entity* entity);              // place on its cell or destroy it
    void addObject(Renderer* object);                  // append an effect; the world owns it
    void queueRemoval(Renderer* object, bool unique);  // removed at the end of the pass
    void updatePass();                                 // one tick over all objects, then sweep

    // ---- state ----
    int gameOver = 0;                  // 1 once a base has fallen; never reset
    std::vector<Renderer*> objects;    // every live object, in update and draw order (owned)
    std::vector<Entity*> units;        // every unit standing on the grid, in registration order
    std::vector<Renderer*> graveyard;  // objects queued for removal in this pass
    int eliminatedTeam = 4;            // team of the fallen base; 4 means none yet

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

    void terrainChanged();

    unsigned long terrainStamp_ = 0;    // unique among all battlefields and their terrains
    Entity* occupant[kColumns][kRows];  // unit on each cell, null when empty
    int height[kColumns][kRows];        // terrain height 0..15 of each cell

    CellMask teamCells_[2];         // cells held by each team's units
    CellMask fightCells_[2];        // cells of each team's units in a fight
    std::vector<Entity*> bases_;    // the units of kind base, in registration order
    int unindexedUnits_ = 0;        // units of a team other than 0 and 1 (tests only)
    int queuedUnits_ = 0;           // units in the graveyard: the sweep walks the unit list only then
    unsigned long nextSerial_ = 0;  // registration order of units
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

// The program's one battlefield, created with its terrain on the first call.
Battlefield* getBattlefield();

// Makes the given battlefield the one getBattlefield() returns (the previous is returned and
// not freed). Lets a test run the simulation on a world with a known terrain.
Battlefield* installBattlefield(Battlefield* field);
