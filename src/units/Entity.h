#pragma once

#include "units/Renderer.h"
#include "units/Vec2.h"

// AI modes of a unit.
constexpr int kModeAdvance = 0;
constexpr int kModeEngage = 1;
constexpr int kModeTravel = 2;
constexpr int kModeBombard = 3;

// Why a unit is travelling.
constexpr int kTravelNone = 0;
constexpr int kTravelJoinFight = 1;
constexpr int kTravelAnswerFire = 2;

// The abstract unit: a team, a cell on the grid, hit points, weapon figures and an AI mode.
// Soldier, Tank and Base fill in think and fire.
class Entity : public Renderer {
public:
    Entity(int team, int x, int y);

    // ---- Renderer ----
    void update() override;  // unitUpdate
    void onRemoved() override {}
    int getType() const override { return kTypeMobileUnit; }

    // ---- AI ----
    virtual void setMode(int newMode);  // set the mode, reset travel orders, recolour
    virtual void think() = 0;           // one decision step
    virtual void fire() = 0;            // attack the target (or a tank's aim point)

    void unitUpdate();                                      // death check and decision rhythm
    void takeDamage(const Entity* attacker, float amount);  // attacker null: shooter already gone
    bool inRange(int cx, int cy) const;                     // target within range of cell (cx, cy)
    void noteFightState();  // target or travel order changed: tell the battlefield's index

protected:
    // ---- steps shared by the unit classes ----
    void advance();                               // join the nearest ally's fight, else head for the goal
    void moveTowards(Vec2 cell);                  // one step on the way to the cell
    void shootAtTarget(int shotSize, int speed);  // a yellow shot from this cell to the target's

public:
    // ---- unit record ----
    int team;                        // 0 red, 1 blue
    int travelSteps = 0;             // steps left of the travel order
    Vec2 goal;                       // objective cell, the enemy base
    Vec2 destination;                // cell of the travel order
    int travelReason = kTravelNone;  // why the unit travels
    Entity* target = nullptr;        // enemy currently engaged, not owned
    float health = 0.0f;             // hit points; dead at 0 or below
    float size = 0.0f;               // half-size in pixels for drawing
    float damage = 0.0f;             // damage carried by each shot
    float range = 0.0f;              // detection and firing range in cells
    int actionPeriod = 0;            // updates between two decision steps
    int actionCountdown = 0;         // updates left until the next decision step
    int mode = kModeAdvance;         // AI mode

    // ---- bookkeeping of the battlefield ----
    unsigned long serial = 0;   // registration order; 0 while not on the grid
    bool inFightIndex = false;  // marked in the battlefield's fight cells
};

// Team colours and colour arithmetic shared by every unit.
Colour teamColour(int team);
Colour addClamped(Colour a, Colour b);
Colour modeColour(int team, int mode);  // the colour setMode gives a unit of this team
