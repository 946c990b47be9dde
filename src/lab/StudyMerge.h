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
// warning that they cannot be checked; a battle among them given twice is counted once.
//
// The memory grows by about 4 bytes per battle given (a fingerprint of each result), not with
// the length of the lines.
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
    using Fingerprints = std::array<std::uint32_t, 4096>;  // of consecutive battles; 0 for none yet
    using Place = std::pair<long long, long long>;         // a group of battles, a place in it

    bool sameStudy(const BattleOutcome& outcome, const StudyTag& tag, const std::string& place, std::string& error) const;
    bool takeTagged(const BattleOutcome& outcome, const StudyTag& tag, const std::string& place, bool& count,
                    std::string& error);
    bool takeUntagged(const BattleOutcome& outcome, const std::string& place, bool& count, std::string& error);
    // False when the battle was met before; differs says whether its result was another.
    bool firstTime(Place at, std::uint32_t fingerprint, bool& differs);
    std::vector<std::string> missing() const;

    // ---- the lines that say their study ----
    std::optional<StudyTag> tag_;           // of the first such line
    UnitCounts counts_;                     // of the first such line: the counts not varied
    std::string place_;                     // of the first such line
    std::unique_ptr<Study> study_;          // its grid and shares
    std::map<unsigned, unsigned> runs_;     // the seeds of whole runs: first to last, overlaps merged
    std::set<int> shards_;                  // K of the shards K/N met
    std::vector<long long> perComposition_;  // battles counted of each composition
    std::map<Place, std::unique_ptr<Fingerprints>> fingerprints_;
    long long repeated_ = 0;  // battles met more than once, with the same result

    // ---- the lines of earlier versions ----
    long long untagged_ = 0;
    std::map<CountsKey, std::map<unsigned, unsigned>> untaggedSeeds_;  // per counts: first seed to last
    std::map<CountsKey, std::map<unsigned, unsigned>> untaggedAgain_;  // the same, of the seeds met again

    long long battles_ = 0;
};
