#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/UnitCounts.h"

// One count stepped over a range: --vary NAME=FROM:TO:STEP.
struct Vary {
    int count = 0;  // place in the command line's order
    int from = 0;
    int to = 0;
    int step = 1;

    // FROM, FROM + STEP, ... up to TO: as many as 2^31 (0:2147483647:1), more than an int holds.
    long long values() const { return (static_cast<long long>(to) - from) / step + 1; }
    bool operator==(const Vary& o) const { return count == o.count && from == o.from && to == o.to && step == o.step; }
};

// NAME=FROM:TO:STEP, as the command line gives it.
std::string varyText(const Vary& vary);

// Reads NAME=FROM:TO:STEP; on a mistake returns none and says why in error.
std::optional<Vary> readVary(const std::string& text, std::string& error);

// One of N equal shares of a study: --shard K/N.
struct Shard {
    int k = 1;  // 1 .. n
    int n = 1;

    bool operator==(const Shard& o) const { return k == o.k && n == o.n; }
};

// K/N.
std::string shardText(const Shard& shard);

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
    static constexpr long long kNowhere = -1;  // indexOf of a battle that is not one of the study's

    // Checks the grid's size; on a mistake error says why and the study is not to be used.
    Study(const UnitCounts& base, const std::vector<Vary>& varies, unsigned firstSeed, int seeds, Shard shard,
          std::string& error);

    int compositions() const { return compositions_; }
    long long studyBattles() const { return static_cast<long long>(compositions_) * seeds_; }
    int battles() const { return battles_; }  // of this shard

    // ---- battle k of this shard (0 .. battles() - 1) ----
    UnitCounts counts(int k) const;
    unsigned seed(int k) const;

    // ---- battle i of the whole study (0 .. studyBattles() - 1) ----
    // The composition (0 .. compositions() - 1) of these counts, or -1 when they are not one of
    // the grid's.
    int compositionIndex(const UnitCounts& counts) const;
    // The place in the whole study of the battle of these counts and this seed, or kNowhere
    // when the counts are not a composition of the grid or the seed is not one of its seeds.
    long long indexOf(const UnitCounts& counts, unsigned seed) const;
    bool inShard(long long i) const { return i % shard_.n == shard_.k - 1; }
    int compositionOf(long long i) const { return static_cast<int>(i / seeds_); }
    // The battles of composition c in the shards K/N whose K are in shards (sorted).
    long long battlesIn(int c, const std::vector<int>& shards) const;
    // What tells composition c from the others: "blue-tanks=10 red-snipers=0"; the six counts
    // for a study of one army.
    std::string compositionName(int c) const;

    const Shard& shard() const { return shard_; }

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

// What a battle's line says of the study it belongs to, so that lines merged from several runs
// or machines can be told apart when they are not of one study, and what is missing can be
// named: with the counts that are not varied (which every line holds), it is the whole study.
struct StudyTag {
    int maxFrames = 0;
    unsigned firstSeed = 0;
    int seeds = 0;  // battles per composition
    std::vector<Vary> varies;
    Shard shard;

    bool operator==(const StudyTag& o) const
    {
        return maxFrames == o.maxFrames && firstSeed == o.firstSeed && seeds == o.seeds && varies == o.varies &&
               shard == o.shard;
    }
};

