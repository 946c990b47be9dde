#pragma once

#include "units/Renderer.h"
#include "units/Vec2.h"

class Battlefield;
class Random;

// AI modes of a unit; the numbers are the ones a digest of the battle shows.
enum class Mode { Advance = 0, Engage = 1, Travel = 2, Bombard = 3 };

// Why a unit is travelling.
enum class TravelReason { None = 0, JoinFight = 1, AnswerFire = 2 };

// The abstract unit: a team, a cell on the grid, hit points, weapon figures and an AI mode.
// Soldier, Tank and Base fill in think and fire. Every step is handed the battlefield the unit
// stands on and the battle's random generator.
class Entity : public Renderer {
public:
    Entity(int team, int x, int y);

    // ---- Renderer ----
    void update(Battlefield& field, Random& random) override;  // unitUpdate
    ObjectKind getType() const override { return ObjectKind::MobileUnit; }
    void remapUnits(const UnitMap& copies) override;  // the target

    // ---- AI ----
    virtual void setMode(Mode newMode);                          // set the mode, reset travel orders, recolour
    virtual void think(Battlefield& field, Random& random) = 0;  // one decision step
    virtual void fire(Battlefield& field, Random& random) = 0;   // attack the target (or a tank's aim point)

    void unitUpdate(Battlefield& field, Random& random);  // death check and decision rhythm
    // attacker null: the shooter is already gone.
    void takeDamage(Battlefield& field, Random& random, const Entity* attacker, float amount);
    bool inRange(int cx, int cy) const;  // target within range of cell (cx, cy)

    // ---- fight state ----
    // Whether a unit is in a fight (engaged, or travelling to answer fire) is indexed by the
    // battlefield it stands on, for the searches of its allies. These fields change only
    // through the operations below, which keep that index right themselves.
    Entity* target() const { return target_; }
    int travelSteps() const { return travelSteps_; }
    Vec2 destination() const { return destination_; }
    TravelReason travelReason() const { return travelReason_; }
    bool inFight() const;                                             // engaged, or answering fire with steps left
    void setTarget(Entity* enemy);                                    // engage (null: disengage)
    void giveTravelOrder(Vec2 cell, TravelReason reason, int steps);  // enter travel mode with this order
    void takeTravelStep();                                            // one step of the order used up
    void endTravelOrder();                                            // no order: reason none, no steps, no destination

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

private:
    friend class Battlefield;  // keeps the bookkeeping below
    void noteFightState();     // tells the battlefield's index after any change of the fight state

    // ---- fight state ----
    int travelSteps_ = 0;                             // steps left of the travel order
    Vec2 destination_;                                // cell of the travel order
    TravelReason travelReason_ = TravelReason::None;  // why the unit travels
    Entity* target_ = nullptr;                        // enemy currently engaged, not owned

    // ---- bookkeeping of the battlefield ----
    Battlefield* home_ = nullptr;  // the battlefield the unit stands on; null while not on one
    unsigned long serial_ = 0;     // registration order; 0 while not on the grid
    bool inFightIndex_ = false;    // marked in the battlefield's fight cells
};

// Inline: the search for a firing position asks it for every neighbour.
inline bool Entity::inRange(int cx, int cy) const
{
    const float dx = static_cast<float>(target_->x - cx);
    const float dy = static_cast<float>(target_->y - cy);
    return dx * dx + dy * dy <= range * range;
}

// Team colours and colour arithmetic shared by every unit.
Colour teamColour(int team);
Colour addClamped(Colour a, Colour b);
Colour modeColour(int team, Mode mode);  // the colour setMode gives a unit of this team
