#pragma once

#include <array>
#include <optional>
#include <string>

#include "game/UnitCounts.h"

// One of the six counts of a battle: how --vary names it, how a battle's line names it and
// where UnitCounts keeps it.
struct CountField {
    const char* option;  // "blue-riflemen"
    const char* json;    // "blue_riflemen"
    int UnitCounts::*member;
};

// The six counts in the command line's order: blue riflemen, tanks, snipers, then red's.
inline constexpr CountField kCountFields[] = {
    {"blue-riflemen", "blue_riflemen", &UnitCounts::blueSoldiers},
    {"blue-tanks", "blue_tanks", &UnitCounts::blueTanks},
    {"blue-snipers", "blue_snipers", &UnitCounts::blueSnipers},
    {"red-riflemen", "red_riflemen", &UnitCounts::redSoldiers},
    {"red-tanks", "red_tanks", &UnitCounts::redTanks},
    {"red-snipers", "red_snipers", &UnitCounts::redSnipers},
};
constexpr int kCountNames = 6;
static_assert(sizeof kCountFields / sizeof kCountFields[0] == kCountNames, "one field per count");

// By place in the command line's order (0 .. kCountNames - 1).
const char* countName(int count);  // "blue-riflemen"
int countOf(const UnitCounts& counts, int count);
void setCount(UnitCounts& counts, int count, int value);

std::optional<int> countByName(const std::string& name);  // the place of the count --vary names so, or none
std::string countNameList();                              // "blue-riflemen, blue-tanks, ... red-tanks or red-snipers"

// The six counts in the command line's order: armies sorted by it come in that order.
using CountsKey = std::array<int, kCountNames>;
CountsKey countsKey(const UnitCounts& counts);
