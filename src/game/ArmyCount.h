#pragma once

class Battlefield;

// Fighting kinds of unit, as the results of a battle count them; the bases are not counted.
// The results list them riflemen, snipers, tanks: the results panel's columns, the page's
// results and the lab's lines (the files of earlier studies, and their fingerprints) all keep
// this order. The counts an army starts with keep another, riflemen, tanks, snipers (UnitCounts),
// which the command line fixed first. Both orders are what a user reads or has stored, so
// neither follows the other; code that goes from one to the other names the kinds.
constexpr int kRiflemenKind = 0;
constexpr int kSnipersKind = 1;
constexpr int kTanksKind = 2;
constexpr int kFightingKinds = 3;
constexpr int kSides = 2;  // team 0 red, team 1 blue

// The living riflemen, snipers and tanks of each side on a battlefield. A unit whose health
// has run out but which has not yet been swept away (hit after its own update in the last
// pass, or frozen so by the end of the game) is not counted.
struct ArmyCount {
    int units[kSides][kFightingKinds] = {};

    int side(int team) const
    {
        return units[team][kRiflemenKind] + units[team][kSnipersKind] + units[team][kTanksKind];
    }
};

ArmyCount countArmies(const Battlefield& field);

// Units alive per side at one moment: the riflemen, snipers and tanks of countArmies (the
// units of a battle that are not bases).
struct AliveSample {
    int units[kSides] = {};
};
AliveSample aliveOf(const Battlefield& field);
