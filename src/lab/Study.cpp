#include "lab/Study.h"

#include <algorithm>
#include <climits>

#include "cli/OptionNumber.h"

namespace {

// A whole number from 0 to INT_MAX, in digits only.
std::optional<int> readCountValue(const std::string& text)
{
    const auto number = readOptionNumber(text, INT_MAX);
    if (!number) return std::nullopt;
    return static_cast<int>(*number);
}

}  // namespace

std::string varyText(const Vary& vary)
{
    return std::string(countName(vary.count)) + "=" + std::to_string(vary.from) + ":" + std::to_string(vary.to) + ":" +
           std::to_string(vary.step);
}

std::string shardText(const Shard& shard)
{
    return std::to_string(shard.k) + "/" + std::to_string(shard.n);
}

std::optional<Vary> readVary(const std::string& text, std::string& error)
{
    const std::string shape = "--vary takes NAME=FROM:TO:STEP, got '" + text + "'";
    const size_t equals = text.find('=');
    const size_t first = text.find(':', equals == std::string::npos ? 0 : equals);
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (equals == std::string::npos || first == std::string::npos || second == std::string::npos) {
        error = shape;
        return std::nullopt;
    }
    const std::string name = text.substr(0, equals);
    const std::optional<int> count = countByName(name);
    if (!count) {
        error = "--vary: unknown count '" + name + "' (" + countNameList() + ")";
        return std::nullopt;
    }
    const auto from = readCountValue(text.substr(equals + 1, first - equals - 1));
    const auto to = readCountValue(text.substr(first + 1, second - first - 1));
    const auto step = readCountValue(text.substr(second + 1));
    if (!from || !to || !step) {
        error = shape + ": FROM, TO and STEP are whole numbers from 0 to " + std::to_string(INT_MAX);
        return std::nullopt;
    }
    if (*step == 0) {
        error = "--vary " + name + ": the step must not be 0";
        return std::nullopt;
    }
    if (*from > *to) {
        error = "--vary " + name + ": the range " + std::to_string(*from) + " to " + std::to_string(*to) +
                " runs backwards";
        return std::nullopt;
    }
    return Vary{*count, *from, *to, *step};
}

std::optional<Shard> readShard(const std::string& text, std::string& error)
{
    const size_t slash = text.find('/');
    const auto k = slash == std::string::npos ? std::nullopt : readCountValue(text.substr(0, slash));
    const auto n = slash == std::string::npos ? std::nullopt : readCountValue(text.substr(slash + 1));
    if (!k || !n || *k < 1 || *k > *n) {
        error = "--shard takes K/N with 1 <= K <= N, got '" + text + "'";
        return std::nullopt;
    }
    return Shard{*k, *n};
}

Study::Study(const UnitCounts& base, const std::vector<Vary>& varies, unsigned firstSeed, int seeds, Shard shard,
             std::string& error)
    : base_(base), varies_(varies), firstSeed_(firstSeed), seeds_(seeds), shard_(shard)
{
    long long compositions = 1;
    for (const Vary& vary : varies_) compositions *= vary.values();  // at most 2^31 each: no overflow of two
    if (compositions > kMostCompositions) {
        error = "the grid has " + std::to_string(compositions) + " compositions, more than " +
                std::to_string(kMostCompositions);
        return;
    }
    compositions_ = static_cast<int>(compositions);
    if (studyBattles() > INT_MAX) {
        error = "the study has " + std::to_string(studyBattles()) + " battles, more than " + std::to_string(INT_MAX);
        return;
    }
    if (shard_.n > studyBattles()) {
        error = "--shard " + std::to_string(shard_.k) + "/" + std::to_string(shard_.n) + ": the study has only " +
                std::to_string(studyBattles()) + " battles to share";
        return;
    }
    // The battles i < studyBattles() with i % n = k - 1.
    battles_ = static_cast<int>((studyBattles() - shard_.k) / shard_.n + 1);
}

UnitCounts Study::composition(int c) const
{
    UnitCounts counts = base_;
    // The last varied count steps fastest.
    for (auto vary = varies_.rbegin(); vary != varies_.rend(); ++vary) {
        const int values = static_cast<int>(vary->values());  // of a grid of at most kMostCompositions
        setCount(counts, vary->count, vary->from + (c % values) * vary->step);
        c /= values;
    }
    return counts;
}

UnitCounts Study::counts(int k) const
{
    return composition(static_cast<int>(studyIndex(k) / seeds_));
}

unsigned Study::seed(int k) const
{
    return firstSeed_ + static_cast<unsigned>(studyIndex(k) % seeds_);
}

int Study::compositionIndex(const UnitCounts& counts) const
{
    // The last varied count steps fastest; every other count is the base's.
    UnitCounts rest = counts;
    int c = 0;
    for (const Vary& vary : varies_) {
        const int value = countOf(counts, vary.count);
        if (value < vary.from || value > vary.to || (value - vary.from) % vary.step != 0) return -1;
        c = c * static_cast<int>(vary.values()) + (value - vary.from) / vary.step;
        setCount(rest, vary.count, countOf(base_, vary.count));
    }
    return rest == base_ ? c : -1;
}

long long Study::indexOf(const UnitCounts& counts, unsigned seed) const
{
    const int c = compositionIndex(counts);
    if (c < 0 || seed < firstSeed_ || seed - firstSeed_ >= static_cast<unsigned>(seeds_)) return kNowhere;
    return static_cast<long long>(c) * seeds_ + (seed - firstSeed_);
}

long long Study::battlesIn(int c, const std::vector<int>& shards) const
{
    // Battles i of [c * seeds, (c + 1) * seeds) with i % n = K - 1 for a K in shards: every
    // whole round of n battles has one of each shard, and the rest begins at a known shard.
    const long long first = static_cast<long long>(c) * seeds_;
    const long long rounds = seeds_ / shard_.n;
    const long long rest = seeds_ % shard_.n;
    const long long from = first % shard_.n + 1;  // the K of the first battle of the rest
    const auto within = [&shards](long long low, long long high) {  // K in [low, high]
        return std::upper_bound(shards.begin(), shards.end(), high) - std::lower_bound(shards.begin(), shards.end(), low);
    };
    long long inRest = 0;
    if (rest > 0) {
        const long long to = from + rest - 1;  // may run past n and on from 1
        inRest = to <= shard_.n ? within(from, to) : within(from, shard_.n) + within(1, to - shard_.n);
    }
    return rounds * static_cast<long long>(shards.size()) + inRest;
}

std::string Study::compositionName(int c) const
{
    const UnitCounts counts = composition(c);
    if (varies_.empty()) return countsText(counts);
    std::string name;
    for (const Vary& vary : varies_) {
        name += (name.empty() ? "" : " ") + std::string(countName(vary.count)) + "=" +
                std::to_string(countOf(counts, vary.count));
    }
    return name;
}
