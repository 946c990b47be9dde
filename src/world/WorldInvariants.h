#pragma once

#include <string>

class Battlefield;

// Checks the rules the world must keep between update passes: every unit in the unit list
// stands on its own cell, no cell holds a unit outside that list, no target and no shot's
// shooter points outside it, and every effect still has life left. Returns a description of
// the first broken rule, or an empty string. Meant for long tests; it reads no object that
// is not in the lists.
std::string findInvariantViolation(const Battlefield& field);
