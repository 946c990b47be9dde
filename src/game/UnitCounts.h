#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <string>

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

// One of the six counts: how an option and a line of the lab name it, whose army it is, and
// where UnitCounts keeps it.
struct CountField {
    const char* option;  // "blue-riflemen"
    const char* json;    // "blue_riflemen"
    const char* words;   // "blue riflemen"
    int UnitCounts::*member;
};

// The six counts in the command line's order: blue riflemen, tanks, snipers, then red's. Every
// place that names or reads the counts in order reads them from here.
inline constexpr CountField kCountFields[] = {
    {"blue-riflemen", "blue_riflemen", "blue riflemen", &UnitCounts::blueSoldiers},
    {"blue-tanks", "blue_tanks", "blue tanks", &UnitCounts::blueTanks},
    {"blue-snipers", "blue_snipers", "blue snipers", &UnitCounts::blueSnipers},
    {"red-riflemen", "red_riflemen", "red riflemen", &UnitCounts::redSoldiers},
    {"red-tanks", "red_tanks", "red tanks", &UnitCounts::redTanks},
    {"red-snipers", "red_snipers", "red snipers", &UnitCounts::redSnipers},
};
constexpr int kCountNames = 6;
static_assert(sizeof kCountFields / sizeof kCountFields[0] == kCountNames, "one field per count");

// By place in the command line's order (0 .. kCountNames - 1).
inline const char* countName(int count) { return kCountFields[count].option; }  // "blue-riflemen"
inline int countOf(const UnitCounts& counts, int count) { return counts.*kCountFields[count].member; }
inline void setCount(UnitCounts& counts, int count, int value) { counts.*kCountFields[count].member = value; }

// Neither army has a unit: every count is 0 or less, so no wave brings one either, and the two
// bases stand alone for ever.
inline bool neitherArmyHasAUnit(const UnitCounts& counts)
{
    for (int count = 0; count < kCountNames; ++count) {
        if (countOf(counts, count) > 0) return false;
    }
    return true;
}

std::optional<int> countByName(const std::string& name);  // the place of the count named so, or none
std::string countNameList();                              // "blue-riflemen, blue-tanks, ... red-tanks or red-snipers"

// The six counts in the command line's order: armies sorted by it come in that order.
using CountsKey = std::array<int, kCountNames>;
CountsKey countsKey(const UnitCounts& counts);
UnitCounts countsOf(const CountsKey& key);

// In the command line's order, separated by sep: "200 50 50 200 50 50".
std::string countsText(const UnitCounts& counts, char sep = ' ');
inline std::ostream& operator<<(std::ostream& out, const UnitCounts& c) { return out << countsText(c); }
