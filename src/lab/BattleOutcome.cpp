#include "lab/BattleOutcome.h"

#include <climits>
#include <nlohmann/json.hpp>

#include "game/Battle.h"
#include "game/DueTicks.h"
#include "game/UnitCounts.h"
#include "lab/Format.h"
#include "world/Battlefield.h"

namespace {

const char* const kTeamNames[kSides] = {"red", "blue"};
const char* const kKindNames[kFightingKinds] = {"riflemen", "snipers", "tanks"};

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

}  // namespace

double BattleOutcome::seconds() const
{
    return static_cast<double>(endFrame) / kTicksPerSecond;
}

BattleOutcome playBattle(Battle& battle, int maxFrames, std::vector<AliveSample>* alive)
{
    Battlefield& field = battle.field();
    const ArmyCount placed = countArmies(field);
    if (alive != nullptr) alive->push_back(aliveOf(field));
    while (battle.passes() < maxFrames && !battle.over()) {
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

std::string outcomeLine(const BattleOutcome& o)
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
    line += ", \"left\": " + armyObject(o.left) + "}";
    return line;
}

bool parseOutcomeLine(const std::string& line, BattleOutcome& outcome, std::string& error)
{
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
    if (o.winner == kNoWinner && name != "none") {
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

    if (!readArmy(json, "left", o.left, error)) return false;
    o.placedKnown = json.find("placed") != json.end();
    if (o.placedKnown && !readArmy(json, "placed", o.placed, error)) return false;
    outcome = o;
    return true;
}
