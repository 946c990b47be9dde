#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "game/ArmyCount.h"
#include "game/UnitCounts.h"
#include "lab/Study.h"
#include "world/Team.h"

class Battle;

// How one seeded battle ended: what the lab writes as one JSON line and sums up.
struct BattleOutcome {
    unsigned seed = 0;
    UnitCounts counts;
    int winner = kNoTeam;  // team whose base still stands when the other's fell
    int endFrame = 0;        // frame, counting from 1, whose update pass saw a base fall; 0 if none did
    ArmyCount left;          // living units of each side and kind at the end
    ArmyCount placed;        // units of each side and kind deployed: fewer than counts when the start zone is full
    bool placedKnown = false;  // placed was counted (lines of older runs do not have it)

    bool finished() const { return winner != kNoTeam; }
    double seconds() const;  // battle time of endFrame
};

// Plays the battle under way frame by frame until a base falls or it has run maxFrames frames
// since its deployment. The units placed are counted on the field before the first frame. The
// end frame is the battle's own count of the pass in which the base fell, the figure the
// program's results panel shows. alive, when given, receives the units alive per side after 0
// frames and after every second of battle time while the battle runs. stop, when given, is
// looked at between frames: once it is set the battle is left where it is (and the outcome is
// of no use).
BattleOutcome playBattle(Battle& battle, int maxFrames, std::vector<AliveSample>* alive,
                         const std::atomic<bool>* stop = nullptr);

// The outcome as one line of JSON, without the line end; with the study it belongs to, when
// given, as its last field.
std::string outcomeLine(const BattleOutcome& outcome, const StudyTag* study = nullptr);

// Reads a line written by outcomeLine (or by another tool that kept its fields, in any order and
// spacing; "placed" and "study" may be missing, as in the lines of older runs), with its study
// when it has one. Refuses a line nested more than a few levels deep before reading it, and
// values a battle cannot end with. On failure returns false and says what is wrong in error.
bool parseOutcomeLine(const std::string& line, BattleOutcome& outcome, std::optional<StudyTag>& study,
                      std::string& error);
bool parseOutcomeLine(const std::string& line, BattleOutcome& outcome, std::string& error);
