#pragma once

#include <cstddef>

#include "units/Renderer.h"
#include "units/Vec2.h"
#include "world/UnitId.h"

class Battlefield;
class Random;

// AI modes of a unit; the numbers are the ones a digest of the battle shows.
enum class Mode { Advance = 0, Engage = 1, Travel = 2, Bombard = 3 };

// Why a unit is travelling.
enum class TravelReason { None = 0, JoinFight = 1, AnswerFire = 2 };

// The abstract unit: a team, a cell on the grid, hit points, weapon figures and an AI mode.
// Soldier, Tank and Base fill in think and fire. Every step is handed the battlefield the unit
// stands on and the battle's random generator; the unit keeps no reference to either.
class Entity : public Renderer {
public:
    Entity(int team, int x, int y);

    // ---- memory: a unit takes the block of one destroyed before it ----
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size);

    // ---- Renderer ----
    void update(Battlefield& field, Random& random) override;  // unitUpdate
    ObjectKind getType() const override { return ObjectKind::MobileUnit; }

    // ---- AI ----
    // Sets the mode, resets travel orders (reporting to the field) and recolours.
    virtual void setMode(Battlefield& field, Mode newMode);
    virtual void think(Battlefield& field, Random& random) = 0;  // one decision step
    virtual void fire(Battlefield& field, Random& random) = 0;   // attack the target (or a tank's aim point)

    void unitUpdate(Battlefield& field, Random& random);  // death check and decision rhythm
    // attacker null: the shooter is already gone.
    void takeDamage(Battlefield& field, Random& random, const Entity* attacker, float amount);
    bool inRange(const Entity& target, int cx, int cy) const;  // the target within range of cell (cx, cy)

    // ---- fight state ----
    // Whether a unit is in a fight (engaged, or travelling to answer fire) is indexed by the
    // battlefield it stands on, for the searches of its allies. These fields change only
    // through the operations below, each handed that battlefield, which keep the index right.
    UnitId target() const { return target_; }  // the enemy engaged; the field resolves it
    int travelSteps() const { return travelSteps_; }
    Vec2 destination() const { return destination_; }
    TravelReason travelReason() const { return travelReason_; }
    bool inFight() const;                                     // engaged, or answering fire with steps left
    void setTarget(Battlefield& field, const Entity* enemy);  // engage (null: disengage)
    // Enters travel mode with this order.
    void giveTravelOrder(Battlefield& field, Vec2 cell, TravelReason reason, int steps);
    void takeTravelStep(Battlefield& field);  // one step of the order used up
    void endTravelOrder(Battlefield& field);  // no order: reason none, no steps, no destination

protected:
    // ---- steps shared by the unit classes ----
    void advance(Battlefield& field);                 // join the nearest ally's fight, else head for the goal
    void moveTowards(Battlefield& field, Vec2 cell);  // one step on the way to the cell
    // A yellow shot from this cell to the target's.
    void shootAtTarget(Battlefield& field, Random& random, int shotSize, int speed);

public:
    // ---- unit record ----
    int team;                   // 0 red, 1 blue
    Vec2 goal;                  // objective cell, the enemy base
    float health = 0.0f;        // hit points; dead at 0 or below
    float size = 0.0f;          // half-size in pixels for drawing
    float damage = 0.0f;        // damage carried by each shot
    float range = 0.0f;         // detection and firing range in cells
    int actionPeriod = 0;       // updates between two decision steps
    int actionCountdown = 0;    // updates left until the next decision step
    Mode mode = Mode::Advance;  // AI mode

    unsigned long serial() const { return serial_; }  // registration order; 0 while not on the grid
    UnitId id() const { return id_; }                 // the handle that names it; none while not on the grid

private:
    friend class Battlefield;  // keeps the bookkeeping below

    // ---- fight state ----
    int travelSteps_ = 0;                             // steps left of the travel order
    Vec2 destination_;                                // cell of the travel order
    TravelReason travelReason_ = TravelReason::None;  // why the unit travels
    UnitId target_;                                   // enemy currently engaged

    // ---- bookkeeping of the battlefield ----
    UnitId id_;                  // its slot in the battlefield's table; none while not on the grid
    unsigned long serial_ = 0;   // registration order; 0 while not on the grid
    bool inFightIndex_ = false;  // marked in the battlefield's fight cells
};

// Inline: the search for a firing position asks it for every neighbour.
inline bool Entity::inRange(const Entity& target, int cx, int cy) const
{
    const float dx = static_cast<float>(target.x - cx);
    const float dy = static_cast<float>(target.y - cy);
    return dx * dx + dy * dy <= range * range;
}

// Team colours and colour arithmetic shared by every unit.
Colour teamColour(int team);
Colour addClamped(Colour a, Colour b);
Colour modeColour(int team, Mode mode);  // the colour setMode gives a unit of this team
