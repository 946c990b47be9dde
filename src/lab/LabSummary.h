#pragma once

#include <map>
#include <string>
#include <vector>

#include "game/WilsonInterval.h"
#include "lab/BattleOutcome.h"

// The q-quantile (0..1) of sorted values, linear between the closest ranks (values not empty).
double percentile(const std::vector<double>& sorted, double q);

// How often each whole value came up. Its size grows with the different values (the frames a
// battle can last, the units a side can have), never with the number of battles.
using Tally = std::map<int, long long>;

// The q-quantile of the values a tally counts, exactly as percentile() of them sorted (a
// tally that counts none gives 0).
double percentile(const Tally& tally, double q);

// What a stream of battles comes to, battle by battle. Sums are kept as whole numbers, so the
// summary of some lines does not depend on their order or on how they were split between files,
// and the memory does not grow with the number of battles.
struct LabSummary {
    long long battles = 0;
    long long wins[kSides] = {};
    long long unfinished = 0;
    Tally endFrames;              // of the finished battles
    long long endFrameTotal = 0;  // of the finished battles
    long long leftTotals[kSides][kFightingKinds] = {};

    LabSummary() = default;
    explicit LabSummary(const std::vector<BattleOutcome>& outcomes);
    void add(const BattleOutcome& outcome);
    long long finished() const { return wins[0] + wins[1]; }  // battles in which a base fell
    double meanSeconds() const;                 // of the finished battles; 0 without any
    double percentileSeconds(double q) const;   // of the finished battles; 0 without any
    double meanLeft(int team, int kind) const;  // per battle
    double meanLeftSide(int team) const;        // per battle, all kinds
};

// The summary table as printed, ending with a line end.
std::string formatSummary(const LabSummary& summary);
