#include "lab/BattleOutcome.h"

#include <algorithm>
#include <climits>
#include <nlohmann/json.hpp>

#include "game/Battle.h"
#include "game/Countdown.h"
#include "game/DueTicks.h"
#include "game/UnitCounts.h"
#include "lab/Format.h"
#include "world/Battlefield.h"

namespace {

const char* const kTeamNames[kSides] = {"red", "blue"};
const char* const kKindNames[kFightingKinds] = {"riflemen", "snipers", "tanks"};
// The count that asks for each side's units of each kind.
int UnitCounts::* const kAsked[kSides][kFightingKinds] = {
    {&UnitCounts::redSoldiers, &UnitCounts::redSnipers, &UnitCounts::redTanks},
    {&UnitCounts::blueSoldiers, &UnitCounts::blueSnipers, &UnitCounts::blueTanks},
};
// A battle's line is an object of objects: a few levels. Deeper input is refused before it is
// read, so that no line can make the reader's memory grow with its nesting.
constexpr int kDeepestNesting = 8;

// Whether the JSON text nests objects and arrays deeper than most levels (strings skipped).
bool nestedDeeperThan(const std::string& text, int most)
{
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > most) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

// A whole number within [low, high] under key; says what is wrong otherwise.
bool readInteger(const nlohmann::json& object, const char* key, long long low, long long high, long long& value,
                 std::string& error)
{
    const auto found = object.find(key);
    if (found == object.end()) {
        error = std::string("no '") + key + "'";
        return false;
    }
    if (!found->is_number_integer()) {
        error = std::string("'") + key + "' is not a whole number";
        return false;
    }
    value = found->is_number_unsigned() && found->get<unsigned long long>() > LLONG_MAX ? LLONG_MAX
                                                                                        : found->get<long long>();
    if (value < low || value > high) {
        error = std::string("'") + key + "' is out of range";
        return false;
    }
    return true;
}

// {"red": {"riflemen": N, "snipers": N, "tanks": N}, "blue": {...}}
std::string armyObject(const ArmyCount& army)
{
    std::string text = "{";
    for (int team = 0; team < kSides; ++team) {
        text += std::string(team > 0 ? ", " : "") + "\"" + kTeamNames[team] + "\": {";
        for (int kind = 0; kind < kFightingKinds; ++kind) {
            text += std::string(kind > 0 ? ", " : "") + "\"" + kKindNames[kind] +
                    "\": " + std::to_string(army.units[team][kind]);
        }
        text += "}";
    }
    return text + "}";
}

// An object written by armyObject under key.
bool readArmy(const nlohmann::json& object, const char* key, ArmyCount& army, std::string& error)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_object()) {
        error = std::string("no '") + key + "' object";
        return false;
    }
    for (int team = 0; team < kSides; ++team) {
        const auto side = found->find(kTeamNames[team]);
        if (side == found->end() || !side->is_object()) {
            error = std::string("no '") + key + "' of " + kTeamNames[team];
            return false;
        }
        for (int kind = 0; kind < kFightingKinds; ++kind) {
            long long value = 0;
            if (!readInteger(*side, kKindNames[kind], 0, INT_MAX, value, error)) return false;
            army.units[team][kind] = static_cast<int>(value);
        }
    }
    return true;
}

// The object outcomeLine writes under "study".
bool readStudy(const nlohmann::json& object, StudyTag& tag, std::string& error)
{
    if (!object.is_object()) {
        error = "'study' is not an object";
        return false;
    }
    long long value = 0;
    if (!readInteger(object, "max_frames", 1, INT_MAX, value, error)) return false;
    tag.maxFrames = static_cast<int>(value);
    if (!readInteger(object, "first_seed", 0, UINT_MAX, value, error)) return false;
    tag.firstSeed = static_cast<unsigned>(value);
    if (!readInteger(object, "battles", 1, INT_MAX, value, error)) return false;
    tag.seeds = static_cast<int>(value);
    if (static_cast<unsigned long long>(tag.firstSeed) + static_cast<unsigned long long>(tag.seeds) - 1 > UINT_MAX) {
        error = "the study's seeds go past " + std::to_string(UINT_MAX);
        return false;
    }
    const auto varies = object.find("vary");
    if (varies == object.end() || !varies->is_array() || varies->size() > 2) {
        error = "the study's 'vary' is not a list of at most two counts";
        return false;
    }
    for (const nlohmann::json& text : *varies) {
        std::string problem;
        const std::optional<Vary> vary = text.is_string() ? readVary(text.get<std::string>(), problem) : std::nullopt;
        if (!vary || (!tag.varies.empty() && tag.varies.front().count == vary->count)) {
            error = "the study's 'vary' is not a list of at most two counts";
            return false;
        }
        tag.varies.push_back(*vary);
    }
    const auto shard = object.find("shard");
    std::string problem;
    const std::optional<Shard> read = shard != object.end() && shard->is_string()
                                          ? readShard(shard->get<std::string>(), problem)
                                          : std::nullopt;
    if (!read) {
        error = "the study's 'shard' is not K/N";
        return false;
    }
    tag.shard = *read;
    return true;
}

// No side places more units of a kind than its count asks for, and none has more left than it
// placed and its reinforcements brought: each wave, every 3000 frames, brings half the count
// again. The frames are known when a base fell, or from the study.
bool armiesFit(const BattleOutcome& o, const std::optional<StudyTag>& study, std::string& error)
{
    const int frames = o.finished() ? o.endFrame : study ? study->maxFrames : -1;
    const long long waves = frames / kReinforcementFrames;
    for (int team = 0; team < kSides; ++team) {
        for (int kind = 0; kind < kFightingKinds; ++kind) {
            const int asked = std::max(0, o.counts.*kAsked[team][kind]);
            const std::string units = std::string(kTeamNames[team]) + " " + kKindNames[kind];
            if (o.placed.units[team][kind] > asked) {
                error = "'placed' has more " + units + " (" + std::to_string(o.placed.units[team][kind]) +
                        ") than their count (" + std::to_string(asked) + ")";
                return false;
            }
            const long long most = o.placed.units[team][kind] + waves * (asked / 2);
            if (frames >= 0 && o.left.units[team][kind] > most) {
                error = "'left' has more " + units + " (" + std::to_string(o.left.units[team][kind]) +
                        ") than were placed and brought by " + counted(waves, "wave", "waves") + " (" +
                        std::to_string(most) + ")";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

double BattleOutcome::seconds() const
{
    return static_cast<double>(endFrame) / kTicksPerSecond;
}

BattleOutcome playBattle(Battle& battle, int maxFrames, std::vector<AliveSample>* alive, const std::atomic<bool>* stop)
{
    Battlefield& field = battle.field();
    const ArmyCount placed = countArmies(field);
    if (alive != nullptr) alive->push_back(aliveOf(field));
    while (battle.passes() < maxFrames && !battle.over()) {
        if (stop != nullptr && stop->load(std::memory_order_relaxed)) break;
        battle.frame();
        if (alive != nullptr && battle.passes() % kTicksPerSecond == 0) alive->push_back(aliveOf(field));
    }

    BattleOutcome outcome;
    outcome.seed = battle.seed();
    outcome.counts = battle.counts();
    if (battle.over() && (field.eliminatedTeam == 0 || field.eliminatedTeam == 1)) {
        outcome.winner = 1 - field.eliminatedTeam;
        outcome.endFrame = battle.endPass();
    }
    outcome.left = countArmies(field);
    outcome.placed = placed;
    outcome.placedKnown = true;
    return outcome;
}

std::string outcomeLine(const BattleOutcome& o, const StudyTag* study)
{
    std::string line = "{\"seed\": " + std::to_string(o.seed);
    for (const CountField& field : kCountFields) {
        line += ", \"" + std::string(field.json) + "\": " + std::to_string(o.counts.*field.member);
    }
    if (o.placedKnown) line += ", \"placed\": " + armyObject(o.placed);
    if (o.finished()) {
        line += ", \"winner\": \"" + std::string(kTeamNames[o.winner]) +
                "\", \"end_frame\": " + std::to_string(o.endFrame) + ", \"seconds\": " + format("%.3f", o.seconds());
    } else {
        line += ", \"winner\": \"none\", \"end_frame\": null, \"seconds\": null";
    }
    line += ", \"left\": " + armyObject(o.left);
    if (study != nullptr) {
        line += ", \"study\": {\"max_frames\": " + std::to_string(study->maxFrames) +
                ", \"first_seed\": " + std::to_string(study->firstSeed) +
                ", \"battles\": " + std::to_string(study->seeds) + ", \"vary\": [";
        for (size_t v = 0; v < study->varies.size(); ++v) {
            line += std::string(v > 0 ? ", " : "") + "\"" + varyText(study->varies[v]) + "\"";
        }
        line += "], \"shard\": \"" + shardText(study->shard) + "\"}";
    }
    return line + "}";
}

bool parseOutcomeLine(const std::string& line, BattleOutcome& outcome, std::optional<StudyTag>& study,
                      std::string& error)
{
    if (nestedDeeperThan(line, kDeepestNesting)) {
        error = "nested more than " + std::to_string(kDeepestNesting) + " levels deep";
        return false;
    }
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    if (json.is_discarded()) {
        error = "not JSON";
        return false;
    }
    if (!json.is_object()) {
        error = "not a JSON object";
        return false;
    }
    BattleOutcome o;
    long long value = 0;
    if (!readInteger(json, "seed", 0, UINT_MAX, value, error)) return false;
    o.seed = static_cast<unsigned>(value);
    for (const CountField& field : kCountFields) {
        if (!readInteger(json, field.json, INT_MIN, INT_MAX, value, error)) return false;
        o.counts.*field.member = static_cast<int>(value);
    }

    const auto winner = json.find("winner");
    if (winner == json.end() || !winner->is_string()) {
        error = "no 'winner' text";
        return false;
    }
    const std::string name = winner->get<std::string>();
    for (int team = 0; team < kSides; ++team) {
        if (name == kTeamNames[team]) o.winner = team;
    }
    if (o.winner == kNoTeam && name != "none") {
        error = "'winner' is not red, blue or none";
        return false;
    }
    if (o.finished()) {
        if (!readInteger(json, "end_frame", 1, INT_MAX, value, error)) return false;
        o.endFrame = static_cast<int>(value);
    } else if (json.find("end_frame") == json.end() || !json["end_frame"].is_null()) {
        error = "'end_frame' must be null when no base fell";
        return false;
    }
    // The battle time, when given: a number of seconds once a base fell, null before.
    const auto seconds = json.find("seconds");
    if (seconds != json.end()) {
        if (o.finished() && !(seconds->is_number() && seconds->get<double>() >= 0)) {
            error = "'seconds' is not a number of 0 or more";
            return false;
        }
        if (!o.finished() && !seconds->is_null()) {
            error = "'seconds' must be null when no base fell";
            return false;
        }
    }

    if (!readArmy(json, "left", o.left, error)) return false;
    o.placedKnown = json.find("placed") != json.end();
    if (o.placedKnown && !readArmy(json, "placed", o.placed, error)) return false;

    std::optional<StudyTag> tag;
    if (json.find("study") != json.end() && !readStudy(json["study"], tag.emplace(), error)) return false;
    if (tag && o.finished() && o.endFrame > tag->maxFrames) {
        error = "'end_frame' " + std::to_string(o.endFrame) + " is past the study's max_frames " +
                std::to_string(tag->maxFrames);
        return false;
    }
    if (o.placedKnown && !armiesFit(o, tag, error)) return false;
    outcome = o;
    study = tag;
    return true;
}

bool parseOutcomeLine(const std::string& line, BattleOutcome& outcome, std::string& error)
{
    std::optional<StudyTag> ignored;
    return parseOutcomeLine(line, outcome, ignored, error);
}
