#pragma once

#include <cstdint>

class Battlefield;

// A fingerprint of the whole simulation state: every unit's class, team, cell, health, mode
// and target's cell, in unit-list order; the object count; the game-over flag. Two runs that
// behave the same give the same digest.
std::uint64_t stateDigest(const Battlefield& field);
