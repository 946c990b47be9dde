#pragma once

#include <memory>

#include "gfx/Colour.h"

class Battlefield;
class Random;
class Surface;

// What an object in the battlefield's list is, as getType tells it.
enum class ObjectKind { MobileUnit = 0, Effect = 1, Base = 2 };

// Root of every game object in the battlefield's object list: units and effects alike.
// Objects are owned by the battlefield, updated once per tick and drawn once per frame.
class Renderer {
public:
    virtual ~Renderer() = default;

    // ---- per-frame and per-tick work ----
    virtual void draw(Surface& target) const = 0;                 // never changes state
    virtual void update(Battlefield& field, Random& random) = 0;  // advance by one simulation tick
    virtual void onRemoved() {}                                   // called by the removal sweep just before destruction
    virtual ObjectKind getType() const = 0;

    // ---- copies of a whole battlefield ----
    // The same object. It names units by handles (UnitId), which the copy's battlefield
    // resolves to its own units: no reference needs pointing anew.
    virtual std::unique_ptr<Renderer> clone() const = 0;

    // ---- shared fields ----
    int x = 0;      // grid column of a unit
    int y = 0;      // grid row of a unit
    Colour colour;  // draw colour

    // ---- bookkeeping of the battlefield ----
    bool queued = false;  // in the graveyard: destroyed at the end of this pass
    bool onGrid = false;  // a unit standing on the grid and in the unit list
};
