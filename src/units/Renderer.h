#pragma once

#include "gfx/Colour.h"

// Root of every game object in the battlefield's object list: units and effects alike.
// Objects are owned by the battlefield, updated once per tick and drawn once per frame.
class Renderer {
public:
    virtual ~Renderer() = default;

    // ---- per-frame and per-tick work ----
    virtual void draw() const = 0;        // draw into the back buffer; never changes state
    virtual void update() = 0;            // advance by one simulation tick
    virtual void onRemoved() = 0;         // called by the removal sweep just before destruction
    virtual int getType() const = 0;      // 0 mobile unit, 1 effect, 2 base
    virtual void forgetRemovedUnits() {}  // drop references to units marked queued

    // ---- shared fields ----
    int x = 0;      // grid column of a unit
    int y = 0;      // grid row of a unit
    Colour colour;  // draw colour

    // ---- bookkeeping of the battlefield ----
    bool queued = false;  // in the graveyard: destroyed at the end of this pass
    bool onGrid = false;  // a unit standing on the grid and in the unit list
};

// Kinds returned by getType.
constexpr int kTypeMobileUnit = 0;
constexpr int kTypeEffect = 1;
constexpr int kTypeBase = 2;
