#pragma once

#include <string>
#include <vector>

#include "game/DueTicks.h"
#include "game/OddsCounts.h"

// A turning point of a battle: a moment where one side's chance to win moved by at least
// kTurningSwing percentage points within kTurningWindow frames (10 s) of battle time.
struct TurningPoint {
    int frame = 0;   // the moment the swing starts from
    int until = 0;   // the moment it reached
    int team = 0;    // the side whose chance rose
    int before = 0;  // its chance at frame, in whole percent (rounded)
    int after = 0;   // its chance at until
};

constexpr int kTurningSwing = 25;                    // percentage points, at least
constexpr int kTurningWindow = 10 * kTicksPerSecond;  // frames, at most, between the two moments
constexpr int kTurningSpacing = 10 * kTicksPerSecond;  // frames, at least, between two turning points
constexpr int kMostTurningPoints = 3;                // in a battle

// The turning points of a course of odds (moments in any order; those without rollouts are
// passed over). Every pair of moments at most kTurningWindow apart whose chances (won over
// rollouts, compared exactly) rose by at least kTurningSwing points for one side is a swing;
// the largest swings are taken first (of equal ones, the shorter, then the earlier), each only
// when it starts at least kTurningSpacing frames from every one taken, up to
// kMostTurningPoints. Largest swing first. A pure function: the same course gives the same
// turning points everywhere.
std::vector<TurningPoint> turningPoints(const std::vector<OddsCounts>& course);

// "0:42 blue 31% → 78%": the moment, the side and its chance before and after. A font without
// the arrow may ask for another ("->").
std::string turningPointText(const TurningPoint& point, const char* arrow = "\u2192");
