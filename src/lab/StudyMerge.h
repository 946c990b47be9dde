#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game/UnitCounts.h"
#include "lab/BattleOutcome.h"
#include "lab/Study.h"

// The lines --summarize gathers from several files, checked as they come: the shards of one
// study, or runs of one army or one grid over seed ranges. Each line says which study it
// belongs to (its counts, max frames, seeds, varied counts and shard), and
//
// - lines of studies that cannot be summed up together are refused, naming both lines: another
//   max frames, grid or count that is not varied; shards of another study or another split.
//   Whole runs (not shards) that differ only in their seeds extend one another;
// - a line that is not a battle of its own study (a seed out of its range, counts off its
//   grid, a battle of another shard) is refused;
// - a battle given more than once with the same result is counted once, and refused when the
//   results differ;
// - at the end, what is missing is named: shards, and compositions short of battles.
//
// Lines without a study, written by earlier versions, are summed up as before, with one
// warning that they cannot be checked. A battle is one battle whichever way its line is
// written: given again, with or without its study, it counts once, and with another result it
// is refused.
//
// The memory grows with the battles given, never with how far apart their seeds or shards
// are: about 4 bytes a battle (a fingerprint of its result) where the seeds of an army follow
// one another, at most about 200 bytes a line where they are scattered.
class StudyMerge {
public:
    StudyMerge();
    ~StudyMerge();

    // Takes the next line, read at place ("file:line"). Returns false when it is refused, with
    // error saying why; else count says whether it is a battle not met before, to be summed up.
    bool take(const BattleOutcome& outcome, const std::optional<StudyTag>& tag, const std::string& place,
              bool& count, std::string& error);

    long long battles() const { return battles_; }  // the lines counted so far
    // The counts the lines' study varies, in its order, when a line said so.
    std::optional<std::vector<int>> variedCounts() const;
    // Once every line is in: one line each (without the program's name) for the lines that
    // could not be checked, the battles met twice, and what is missing.
    std::vector<std::string> warnings() const;

private:
    // The fingerprints of the battles of one army over kSeeds seeds in a row: a few kept sorted
    // by seed, or, once they would take more room so, all of them in an array.
    struct Fingerprints {
        static constexpr unsigned kSeeds = 4096;
        std::vector<std::pair<std::uint16_t, std::uint32_t>> few;  // seed in the block, fingerprint
        std::unique_ptr<std::array<std::uint32_t, kSeeds>> all;
        std::uint32_t& at(unsigned offset);  // of seed first + offset; 0 for a battle not met
    };

    bool sameStudy(const BattleOutcome& outcome, const StudyTag& tag, const std::string& place, std::string& error) const;
    bool takeTagged(const BattleOutcome& outcome, const StudyTag& tag, const std::string& place, bool& count,
                    std::string& error);
    bool takeUntagged(const BattleOutcome& outcome, const std::string& place, bool& count, std::string& error);
    // Notes the battle of a line, with or without its study (tagged). False when it was given
    // before with another result; else first says whether it was not met before, and
    // taggedBefore whether a line with its study gave it before.
    bool meet(const BattleOutcome& outcome, bool tagged, bool& first, bool& taggedBefore);
    std::vector<std::string> missing() const;

    // ---- the lines that say their study ----
    std::optional<StudyTag> tag_;           // of the first such line
    UnitCounts counts_;                     // of the first such line: the counts not varied
    std::string place_;                     // of the first such line
    std::unique_ptr<Study> study_;          // its grid and shares
    std::map<unsigned, unsigned> runs_;     // the seeds of whole runs: first to last, overlaps merged
    std::set<int> shards_;                  // K of the shards K/N met
    std::vector<long long> perComposition_;  // battles counted of each composition

    // ---- every line ----
    std::map<CountsKey, int> armies_;  // a number for each army met
    int untaggedArmies_ = 0;           // of them, met first in lines without a study
    std::map<std::pair<int, unsigned>, Fingerprints> fingerprints_;  // by army and kSeeds seeds
    long long repeated_ = 0;  // battles met more than once, with the same result
    long long untagged_ = 0;  // lines without a study

    long long battles_ = 0;
};
