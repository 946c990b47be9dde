#pragma once

#include <ostream>

// How many units of each kind and team the armies start with; every wave brings half again.
struct UnitCounts {
    int redSoldiers = 200;   // red riflemen
    int blueSoldiers = 200;  // blue riflemen
    int redTanks = 50;       // red tanks
    int blueTanks = 50;      // blue tanks
    int redSnipers = 50;     // red snipers
    int blueSnipers = 50;    // blue snipers

    // Both armies alike: this many riflemen, tanks and snipers on each side.
    static UnitCounts bothSides(int riflemen, int tanks, int snipers)
    {
        return {riflemen, riflemen, tanks, tanks, snipers, snipers};
    }

    bool operator==(const UnitCounts& o) const
    {
        return redSoldiers == o.redSoldiers && blueSoldiers == o.blueSoldiers && redTanks == o.redTanks &&
               blueTanks == o.blueTanks && redSnipers == o.redSnipers && blueSnipers == o.blueSnipers;
    }
    bool operator!=(const UnitCounts& o) const { return !(*this == o); }
};

// In the command line's order: blue riflemen, tanks, snipers, then red riflemen, tanks, snipers.
inline std::ostream& operator<<(std::ostream& out, const UnitCounts& c)
{
    return out << c.blueSoldiers << ' ' << c.blueTanks << ' ' << c.blueSnipers << ' ' << c.redSoldiers << ' '
               << c.redTanks << ' ' << c.redSnipers;
}

// The counts in force, written once by parseUnitCounts before anything else starts.
extern UnitCounts unitCounts;

// Reads six counts in the order blue riflemen, blue tanks, blue snipers, red riflemen, red
// tanks, red snipers. Fewer than six arguments give the defaults; extras are ignored.
UnitCounts parseUnitCounts(int argc, const char* const* argv);

// A count read as atoi reads it (white space, sign, digits up to the first non-digit; 0 when
// there is no number), with values beyond the int range clamped to INT_MIN or INT_MAX.
int parseCount(const char* text);
