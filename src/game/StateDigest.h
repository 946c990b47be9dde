#pragma once

#include <cstdint>

class Battle;
class Battlefield;
class WatchedBattle;

// A fingerprint of the whole simulation state: every unit's class, team, cell, health, mode
// and target's cell, in unit-list order; the object count; the game-over flag. Two runs that
// behave the same give the same digest.
std::uint64_t stateDigest(const Battlefield& field);

// Plays the battle on, frame by frame, until a base falls or maxFrames have run, and folds the
// digest after every frame into one. Two builds that play a battle alike give the same chain.
std::uint64_t digestChain(Battle& battle, int maxFrames);
// The same for a watched battle, its timeline noting every frame.
std::uint64_t digestChain(WatchedBattle& watched, int maxFrames);

// Moves about the watched battle as a viewer does, `moves` times, along its timeline: back, to a moment
// already seen, to the start, to the end, a frame back or on, into what was never seen, or on
// with the battle played, each chosen and sized by a generator seeded with scriptSeed. Folds the
// frame and the digest after every move into one chain: two builds that seek alike give the
// same chain.
std::uint64_t seekChain(WatchedBattle& watched, unsigned scriptSeed, int moves);
