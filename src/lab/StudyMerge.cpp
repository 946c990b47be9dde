#include "lab/StudyMerge.h"

#include <algorithm>
#include <iterator>

#include "lab/Format.h"

namespace {

constexpr int kListedAtMost = 3;  // missing shards or short compositions named in a warning
// In a fingerprint kept: the battle was met more than once; a line with its study gave it.
constexpr std::uint32_t kMetAgain = 0x80000000u;
constexpr std::uint32_t kTagged = 0x40000000u;
constexpr std::uint32_t kPrint = ~(kMetAgain | kTagged);

// Adds the seeds first .. last to ranges of seeds (first to last) and merges the ranges it
// touches. Gives the number of those seeds that were not in the ranges before.
long long addSeeds(std::map<unsigned, unsigned>& ranges, unsigned first, unsigned last)
{
    long long held = 0;  // seeds of the ranges merged into the new one
    auto at = ranges.upper_bound(first);
    if (at != ranges.begin() && std::prev(at)->second + 1ULL >= first) at = std::prev(at);
    while (at != ranges.end() && at->first <= last + 1ULL) {
        held += static_cast<long long>(at->second) - at->first + 1;
        first = std::min(first, at->first);
        last = std::max(last, at->second);
        at = ranges.erase(at);
    }
    ranges[first] = last;
    return static_cast<long long>(last) - first + 1 - held;
}

// What a battle came to (who won, when, and what was left; not what was placed, which the
// oldest lines lack), as a number that differs for different results (almost always).
std::uint32_t fingerprint(const BattleOutcome& o)
{
    std::uint32_t hash = 2166136261u;  // FNV-1a over the figures of the result
    const auto mix = [&hash](long long value) {
        for (int byte = 0; byte < 8; ++byte) {
            hash = (hash ^ static_cast<std::uint8_t>(value >> (8 * byte))) * 16777619u;
        }
    };
    mix(o.winner);
    mix(o.endFrame);
    for (int team = 0; team < kSides; ++team) {
        for (int kind = 0; kind < kFightingKinds; ++kind) mix(o.left.units[team][kind]);
    }
    hash &= kPrint;
    return hash == 0 ? 1 : hash;  // 0 marks a battle not met
}

std::string varyList(const std::vector<Vary>& varies)
{
    if (varies.empty()) return "none";
    std::string list;
    for (const Vary& vary : varies) list += (list.empty() ? "" : " ") + varyText(vary);
    return list;
}

}  // namespace

StudyMerge::StudyMerge() = default;
StudyMerge::~StudyMerge() = default;

bool StudyMerge::take(const BattleOutcome& outcome, const std::optional<StudyTag>& tag, const std::string& place,
                      bool& count, std::string& error)
{
    const bool taken = tag ? takeTagged(outcome, *tag, place, count, error) : takeUntagged(outcome, place, count, error);
    if (taken && count) ++battles_;
    return taken;
}

bool StudyMerge::sameStudy(const BattleOutcome& outcome, const StudyTag& tag, const std::string& place,
                           std::string& error) const
{
    const StudyTag& first = *tag_;
    std::string differ;
    if (tag.maxFrames != first.maxFrames) {
        differ = "max_frames " + std::to_string(first.maxFrames) + " and " + std::to_string(tag.maxFrames);
    } else if (!(tag.varies == first.varies)) {
        differ = "vary " + varyList(first.varies) + " and " + varyList(tag.varies);
    } else if (tag.shard.n != first.shard.n) {
        differ = "shard " + shardText(first.shard) + " and " + shardText(tag.shard);
    } else if (first.shard.n > 1 && (tag.firstSeed != first.firstSeed || tag.seeds != first.seeds)) {
        differ = "shards of battles from seed " + std::to_string(first.firstSeed) + " (" +
                 std::to_string(first.seeds) + " a composition) and from seed " + std::to_string(tag.firstSeed) + " (" +
                 std::to_string(tag.seeds) + ")";
    } else {
        for (int c = 0; c < kCountNames && differ.empty(); ++c) {
            const bool varied = std::any_of(tag.varies.begin(), tag.varies.end(),
                                            [c](const Vary& vary) { return vary.count == c; });
            if (!varied && countOf(outcome.counts, c) != countOf(counts_, c)) {
                differ = std::string(countName(c)) + " " + std::to_string(countOf(counts_, c)) + " and " +
                         std::to_string(countOf(outcome.counts, c));
            }
        }
    }
    if (differ.empty()) return true;
    error = place_ + " and " + place + " are lines of different studies: " + differ;
    return false;
}

bool StudyMerge::takeTagged(const BattleOutcome& o, const StudyTag& tag, const std::string& place, bool& count,
                            std::string& error)
{
    if (!tag_) {
        std::string problem;
        auto study = std::make_unique<Study>(o.counts, tag.varies, tag.firstSeed, tag.seeds, tag.shard, problem);
        if (!problem.empty()) {
            error = place + ": not a study: " + problem;
            return false;
        }
        tag_ = tag;
        counts_ = o.counts;
        place_ = place;
        study_ = std::move(study);
        perComposition_.assign(static_cast<size_t>(study_->compositions()), 0);
    } else if (!sameStudy(o, tag, place, error)) {
        return false;
    }
    const int c = study_->compositionIndex(o.counts);
    if (c < 0) {
        error = place + ": the counts " + countsText(o.counts) + " are not a composition of the line's study";
        return false;
    }
    if (o.seed < tag.firstSeed || o.seed - tag.firstSeed >= static_cast<unsigned>(tag.seeds)) {
        error = place + ": seed " + std::to_string(o.seed) + " is not one of the line's study (" +
                std::to_string(tag.firstSeed) + " to " + std::to_string(tag.firstSeed + (tag.seeds - 1U)) + ")";
        return false;
    }
    const long long i = static_cast<long long>(c) * tag.seeds + (o.seed - tag.firstSeed);
    if (i % tag.shard.n != tag.shard.k - 1) {
        error = place + ": the battle of seed " + std::to_string(o.seed) + " is not one of shard " + shardText(tag.shard);
        return false;
    }
    bool taggedBefore = false;
    if (!meet(o, true, count, taggedBefore)) {
        error = place + ": the battle of seed " + std::to_string(o.seed) + " (" + study_->compositionName(c) +
                ") was given before with another result";
        return false;
    }
    if (taggedBefore) return true;
    shards_.insert(tag.shard.k);
    if (tag.shard.n == 1) addSeeds(runs_, tag.firstSeed, tag.firstSeed + (tag.seeds - 1U));
    ++perComposition_[static_cast<size_t>(c)];
    return true;
}

bool StudyMerge::takeUntagged(const BattleOutcome& o, const std::string& place, bool& count, std::string& error)
{
    ++untagged_;
    if (armies_.count(countsKey(o.counts)) == 0 && untaggedArmies_++ >= Study::kMostCompositions) {
        error = place + ": the lines hold more than " + std::to_string(Study::kMostCompositions) + " armies";
        return false;
    }
    bool taggedBefore = false;
    if (!meet(o, false, count, taggedBefore)) {
        error = place + ": the battle of seed " + std::to_string(o.seed) + " (" + countsText(o.counts) +
                ") was given before with another result";
        return false;
    }
    return true;
}

std::uint32_t& StudyMerge::Fingerprints::at(unsigned offset)
{
    if (all) return (*all)[offset];
    const auto found = std::lower_bound(few.begin(), few.end(), offset,
                                        [](const auto& held, unsigned seed) { return held.first < seed; });
    if (found != few.end() && found->first == offset) return found->second;
    if (few.size() < kSeeds / 2) return few.insert(found, {static_cast<std::uint16_t>(offset), 0})->second;
    all = std::make_unique<std::array<std::uint32_t, kSeeds>>();
    all->fill(0);
    for (const auto& [seed, print] : few) (*all)[seed] = print;
    std::vector<std::pair<std::uint16_t, std::uint32_t>>().swap(few);
    return (*all)[offset];
}

bool StudyMerge::meet(const BattleOutcome& o, bool tagged, bool& first, bool& taggedBefore)
{
    const int army = armies_.emplace(countsKey(o.counts), static_cast<int>(armies_.size())).first->second;
    std::uint32_t& held = fingerprints_[{army, o.seed / Fingerprints::kSeeds}].at(o.seed % Fingerprints::kSeeds);
    const std::uint32_t print = fingerprint(o);
    first = held == 0;
    taggedBefore = (held & kTagged) != 0;
    if (!first && (held & kPrint) != print) return false;
    if (!first && (held & kMetAgain) == 0) {
        ++repeated_;  // each battle met again once, however many times
        held |= kMetAgain;
    }
    held |= (first ? print : 0) | (tagged ? kTagged : 0);
    return true;
}

std::optional<std::vector<int>> StudyMerge::variedCounts() const
{
    if (!tag_) return std::nullopt;
    std::vector<int> varied;
    for (const Vary& vary : tag_->varies) varied.push_back(vary.count);
    return varied;
}

std::vector<std::string> StudyMerge::missing() const
{
    std::vector<std::string> warnings;
    const Shard& shard = study_->shard();
    const bool shardsMissing = static_cast<long long>(shards_.size()) < shard.n;
    if (shardsMissing) {
        std::string names;
        int listed = 0;
        for (int k = 1; k <= shard.n && listed < kListedAtMost; ++k) {
            if (shards_.count(k) == 0) names += std::string(listed++ > 0 ? ", " : "") + shardText({k, shard.n});
        }
        const long long absent = shard.n - static_cast<long long>(shards_.size());
        if (absent > listed) names += " and " + std::to_string(absent - listed) + " more";
        warnings.push_back("warning: the lines hold " + std::to_string(shards_.size()) + " of the " +
                           std::to_string(shard.n) + " shards of their study; missing: " + names);
    }
    // What each composition should have: its battles in the shards given, or every seed of
    // the runs given.
    long long runSeeds = 0;
    for (const auto& [first, last] : runs_) runSeeds += static_cast<long long>(last) - first + 1;
    const std::vector<int> present(shards_.begin(), shards_.end());
    std::string shortOnes;
    int listed = 0;
    long long shortCount = 0;
    for (int c = 0; c < study_->compositions(); ++c) {
        const long long wanted = shard.n > 1 ? study_->battlesIn(c, present) : runSeeds;
        const long long got = perComposition_[static_cast<size_t>(c)];
        if (got >= wanted) continue;
        ++shortCount;
        if (listed++ < kListedAtMost) {
            shortOnes += std::string(listed > 1 ? "; " : "") + study_->compositionName(c) + " has " +
                         std::to_string(got) + " of " + std::to_string(wanted);
        }
    }
    if (shortCount > kListedAtMost) shortOnes += "; and " + std::to_string(shortCount - kListedAtMost) + " more";
    if (shortCount > 0) {
        warnings.push_back("warning: " + counted(shortCount, "composition is", "compositions are") +
                           " short of battles" + (shardsMissing ? " in the shards given: " : ": ") + shortOnes);
    }
    return warnings;
}

std::vector<std::string> StudyMerge::warnings() const
{
    std::vector<std::string> warnings;
    if (untagged_ > 0) {
        warnings.push_back("warning: " +
                           (untagged_ == 1 ? std::string("1 line does not say which study it belongs to")
                                           : std::to_string(untagged_) + " lines do not say which study they belong to") +
                           " (written by an earlier version): whether the lines are of one study and complete cannot "
                           "be checked");
    }
    if (repeated_ > 0) {
        warnings.push_back("warning: " + counted(repeated_, "battle", "battles") + " (same seed and counts) " +
                           (repeated_ == 1 ? "appears" : "appear") + " more than once; each is counted once");
    }
    if (tag_) {
        const std::vector<std::string> gaps = missing();
        warnings.insert(warnings.end(), gaps.begin(), gaps.end());
    }
    return warnings;
}
