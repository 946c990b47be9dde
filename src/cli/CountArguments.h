#pragma once

#include <optional>
#include <string>

#include "game/UnitCounts.h"

// The six counts as a command line gives them, and one count as the page's address gives it.

// Reads six counts in the command line's order from argv[1] on. Fewer than six arguments give
// the defaults; extras are ignored.
UnitCounts parseUnitCounts(int argc, const char* const* argv);

// A count read as atoi reads it (white space, sign, digits up to the first non-digit; 0 when
// there is no number), with values beyond the int range clamped to INT_MIN or INT_MAX.
int parseCount(const char* text);

// A count as the page's address and its form take it: a whole number, an optional minus and
// digits alone, from INT_MIN to INT_MAX; none otherwise. Where it reads a count, parseCount
// reads the same one.
std::optional<int> readWholeCount(const std::string& text);
