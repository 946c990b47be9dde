#pragma once

#include <string>

class Battlefield;

// Checks of the world's rules, for tests and long runs. Each returns a description of the
// first broken rule, or an empty string, and reads no object that is not in the lists.

// Rules that hold at every moment, in the middle of an update pass too: every unit in the
// unit list stands on its own cell, and the battlefield's cell masks (each team's cells, each
// team's units in a fight) equal a fresh scan of the units.
std::string findIndexViolation(const Battlefield& field);

// The fast searches against the long walks they replace, for every unit in the unit list:
// the nearest enemy within the ranges the units use, and the ally fight to join.
std::string findSearchDisagreement(const Battlefield& field);

// Rules that hold between update passes: those of findIndexViolation, and every unit's handle
// names it, no cell holds a unit outside the unit list, no target names a unit that is gone or
// outside it, no shot's shooter resolves outside it, every effect still has life left, and the
// graveyard is empty.
std::string findInvariantViolation(const Battlefield& field);
