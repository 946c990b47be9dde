#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/UnitCounts.h"
#include "game/UnitCounts.h"

// One count stepped over a range: --vary NAME=FROM:TO:STEP.
struct Vary {
    int count = 0;  // place in the command line's order
    int from = 0;
    int to = 0;
    int step = 1;

    int values() const { return (to - from) / step + 1; }
};

// Reads NAME=FROM:TO:STEP; on a mistake returns none and says why in error.
std::optional<Vary> readVary(const std::string& text, std::string& error);

// One of N equal shares of a study: --shard K/N.
struct Shard {
    int k = 1;  // 1 .. n
    int n = 1;
};

// Reads K/N; on a mistake returns none and says why in error.
std::optional<Shard> readShard(const std::string& text, std::string& error);

// A study: every composition of a grid (the base counts with one or two counts varied; the
// first varied count outer, the second inner) times the same seeds S .. S + N - 1, in one fixed
// order: battle i of the whole study is composition i / N with seed S + i % N. A shard K/N
// plays the battles i with i % N = K - 1, so N machines share the compositions and the seeds
// evenly, and together play each battle once.
class Study {
public:
    static constexpr int kMostCompositions = 10000;

    // Checks the grid's size; on a mistake error says why and the study is not to be used.
    Study(const UnitCounts& base, const std::vector<Vary>& varies, unsigned firstSeed, int seeds, Shard shard,
          std::string& error);

    int compositions() const { return compositions_; }
    long long studyBattles() const { return static_cast<long long>(compositions_) * seeds_; }
    int battles() const { return battles_; }  // of this shard

    // ---- battle k of this shard (0 .. battles() - 1) ----
    UnitCounts counts(int k) const;
    unsigned seed(int k) const;

private:
    long long studyIndex(int k) const { return shard_.k - 1 + static_cast<long long>(k) * shard_.n; }
    UnitCounts composition(int c) const;

    UnitCounts base_;           // the counts that are not varied
    std::vector<Vary> varies_;  // outer first
    unsigned firstSeed_;
    int seeds_;  // battles per composition
    Shard shard_;
    int compositions_ = 1;
    int battles_ = 0;  // of this shard
};
