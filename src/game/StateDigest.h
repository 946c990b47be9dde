#pragma once

#include <cstdint>

class Battlefield;

// A fingerprint of the whole simulation state: every unit's class, team, cell, health, mode
// and target's cell, in unit-list order; the object count; the game-over flag. Two runs that
// behave the same give the same digest.
std::uint64_t stateDigest(const Battlefield& field);

// The digests of a battle frame after frame folded into one: chainDigest(chain, digest) with
// kDigestChainStart before the first. Two builds that play a battle alike give the same chain.
constexpr std::uint64_t kDigestChainStart = 14695981039346656037ull;
std::uint64_t chainDigest(std::uint64_t chain, std::uint64_t digest);
