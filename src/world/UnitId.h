#pragma once

#include <cstdint>

// A reference from one object of a battlefield to one of its units, which the battlefield
// resolves (Battlefield::unit): the unit's slot in the battlefield's table of units and the
// generation of that slot when the unit took it. The removal sweep frees the slot of a unit that
// leaves and moves the slot on to its next generation, so a handle to a unit that is gone
// resolves to none, even once its slot holds another unit. A handle is a plain value: in a copy
// of the battlefield it names the copy of the same unit.
struct UnitId {
    std::uint32_t slot = 0;        // in the battlefield's table; 0 names no unit
    std::uint32_t generation = 0;  // of the slot when the unit took it

    bool isSet() const { return slot != 0; }
    bool operator==(const UnitId& other) const { return slot == other.slot && generation == other.generation; }
    bool operator!=(const UnitId& other) const { return !(*this == other); }
};
