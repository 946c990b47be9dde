#pragma once

#include "game/Timeline.h"

class Battle;

// A rollout of a moment of a battle: the same armies on the same ground from that moment on,
// with other luck. Rollout k of the battle as it stands is
//   - a copy of the battle,
//   - its generator reseeded with rolloutSeed(the battle's seed, its time, k),
//   - nobody watching it (no particles that only the picture shows),
//   - played on to the fall of a base, or until its time (Timeline::frameOf) reaches
//     kRolloutHorizon frames: the side whose base still stands won it, or it is unfinished.
// It depends on nothing but the battle and k: the same on every machine, in any thread and in
// the page. A battle that is over has its winner in every rollout.
constexpr int kRolloutHorizon = Timeline::kPlayAheadFrames;

// The seed of rollout k (0, 1, ...) of the moment `frame` of the battle of `seed`: the k+1-th
// number of splitmix64 started from the state seed * 2^32 + frame, cut to its low 32 bits.
//   state = seed * 2^32 + frame + (k + 1) * 0x9E3779B97F4A7C15   (modulo 2^64)
//   z = (state ^ (state >> 30)) * 0xBF58476D1CE4E5B9
//   z = (z ^ (z >> 27)) * 0x94D049BB133111EB
//   rolloutSeed = (z ^ (z >> 31)) modulo 2^32
// Whole-number arithmetic only, the same everywhere. (A seed of 0 seeds the generator as 1.)
unsigned rolloutSeed(unsigned seed, int frame, int k);

// The copy that rollout k of the battle starts from: reseeded, unwatched, not yet played.
Battle startRollout(const Battle& moment, int k);
// Whether a rollout has come to its end: a base fell, or it reached the horizon.
bool rolloutEnded(const Battle& rollout);
// The side that won an ended rollout, or kNoTeam when it is unfinished.
int rolloutWinner(const Battle& rollout);

// Plays rollout k of the battle as it stands to its end: the side that won it, or kNoTeam.
int playRollout(const Battle& moment, int k);
