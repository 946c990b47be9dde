#include "game/Deployment.h"

#include <algorithm>

#include "units/Base.h"
#include "units/Soldier.h"
#include "units/Tank.h"
#include "world/Battlefield.h"
#include "world/Random.h"

namespace {

enum class Kind { RedRiflemen, BlueRiflemen, RedTanks, BlueTanks, RedSnipers, BlueSnipers };

constexpr Kind kDeployOrder[] = {Kind::RedRiflemen, Kind::BlueRiflemen, Kind::RedTanks,
                                 Kind::BlueTanks,   Kind::RedSnipers,   Kind::BlueSnipers};
constexpr Kind kWaveOrder[] = {Kind::RedRiflemen, Kind::BlueRiflemen, Kind::BlueSnipers,
                               Kind::RedSnipers,  Kind::RedTanks,     Kind::BlueTanks};

constexpr int kDeployAttempts = 10;
constexpr int kZoneRows = 21;  // red rows 1..21, blue rows 43..63

// The enemy base each team heads for.
constexpr float kRedGoalX = 40.0f, kRedGoalY = 61.0f;
constexpr float kBlueGoalX = 40.0f, kBlueGoalY = 3.0f;

int teamOf(Kind kind)
{
    return (kind == Kind::RedRiflemen || kind == Kind::RedTanks || kind == Kind::RedSnipers) ? 0 : 1;
}

int countOf(const UnitCounts& counts, Kind kind)
{
    switch (kind) {
        case Kind::RedRiflemen: return counts.redSoldiers;
        case Kind::BlueRiflemen: return counts.blueSoldiers;
        case Kind::RedTanks: return counts.redTanks;
        case Kind::BlueTanks: return counts.blueTanks;
        case Kind::RedSnipers: return counts.redSnipers;
        case Kind::BlueSnipers: return counts.blueSnipers;
    }
    return 0;
}

int drawRow(Random& random, int team)
{
    return team == 0 ? random.next() % kZoneRows + 1 : 63 - random.next() % kZoneRows;
}

int drawColumn(Random& random)
{
    return random.next() % (kColumns * kCellPixels) / kCellPixels + 1;  // 1..80; 80 lies off the grid
}

// A new unit of the kind at a freshly drawn cell of its team's start zone.
std::unique_ptr<Entity> createUnit(Random& random, Kind kind)
{
    const int team = teamOf(kind);
    if (kind == Kind::RedTanks || kind == Kind::BlueTanks) {
        const int shade = random.next() % 128 + 128;
        const int size = random.next() % 3 + 3;
        const int period = random.next() % 10 + 10;
        const int row = drawRow(random, team);
        const int column = drawColumn(random);
        return std::make_unique<Tank>(team, column, row, shade, size, period);
    }
    const int row = drawRow(random, team);
    const int column = drawColumn(random);
    const bool sniper = kind == Kind::RedSnipers || kind == Kind::BlueSnipers;
    return std::make_unique<Soldier>(random, team, column, row, sniper ? SoldierKind::Sniper : SoldierKind::Rifleman);
}

// Free cells of each team's start zone (the cells a drawn unit can land on). Once a zone is
// full, every further attempt for that team could only be refused, so none is made: huge
// counts then cost no more than a packed field.
class ZoneSpace {
public:
    explicit ZoneSpace(const Battlefield& field)
    {
        for (int team = 0; team < 2; ++team) {
            const int firstRow = team == 0 ? 1 : 63 - (kZoneRows - 1);
            for (int row = firstRow; row < firstRow + kZoneRows; ++row) {
                for (int column = 1; column < kColumns; ++column) {
                    if (field.isFreeCell(static_cast<float>(column), static_cast<float>(row))) ++free_[team];
                }
            }
        }
    }
    bool full(int team) const { return free_[team] == 0; }
    void taken(int team) { --free_[team]; }

private:
    int free_[2] = {0, 0};
};

// One placement attempt; true when the unit now stands on the field.
bool tryPlace(Battlefield& field, Random& random, ZoneSpace& space, Kind kind)
{
    if (field.registerUnit(createUnit(random, kind)) == nullptr) return false;
    space.taken(teamOf(kind));
    return true;
}

void pointTeamsAtEnemyBases(Battlefield& field)
{
    setTeamGoal(field, kRedTeam, kRedGoalX, kRedGoalY);
    setTeamGoal(field, kBlueTeam, kBlueGoalX, kBlueGoalY);
}

}  // namespace

void deployArmies(Battlefield& field, Random& random, const UnitCounts& counts)
{
    field.registerUnit(std::make_unique<Base>(kRedTeam, 40, 3));
    field.registerUnit(std::make_unique<Base>(kBlueTeam, 40, 61));

    ZoneSpace space(field);
    int n = 0;
    for (Kind kind : kDeployOrder) n = std::max(n, countOf(counts, kind));
    for (int i = 0; i < n; ++i) {
        bool anyPlaceable = false;
        for (Kind kind : kDeployOrder) {
            if (countOf(counts, kind) <= i || space.full(teamOf(kind))) continue;
            anyPlaceable = true;
            for (int attempt = 0; attempt < kDeployAttempts; ++attempt) {
                if (tryPlace(field, random, space, kind)) break;
                if (space.full(teamOf(kind))) break;
            }
        }
        if (!anyPlaceable) break;  // every remaining unit belongs to a full zone
    }
    pointTeamsAtEnemyBases(field);
}

void launchReinforcements(Battlefield& field, Random& random, const UnitCounts& counts)
{
    ZoneSpace space(field);
    for (Kind kind : kWaveOrder) {
        const int count = countOf(counts, kind) / 2;
        for (int n = 0; n < count && !space.full(teamOf(kind)); ++n) tryPlace(field, random, space, kind);
    }
    pointTeamsAtEnemyBases(field);
}

void setTeamGoal(Battlefield& field, int team, float goalX, float goalY)
{
    for (Entity* unit : field.units()) {
        if (unit->team == team) unit->goal = {goalX, goalY};
    }
}
