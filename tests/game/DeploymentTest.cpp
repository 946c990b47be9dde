#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "game/Deployment.h"
#include "game/Countdown.h"
#include "support/TestWorld.h"
#include "units/Base.h"
#include "units/Soldier.h"
#include "units/Tank.h"
#include "world/Random.h"

namespace {

// The six kinds a count creates, numbered in deployment order.
enum Kind { kRedRiflemen, kBlueRiflemen, kRedTanks, kBlueTanks, kRedSnipers, kBlueSnipers };
constexpr Kind kDeployOrder[] = {kRedRiflemen, kBlueRiflemen, kRedTanks, kBlueTanks, kRedSnipers, kBlueSnipers};
constexpr Kind kWaveOrder[] = {kRedRiflemen, kBlueRiflemen, kBlueSnipers, kRedSnipers, kRedTanks, kBlueTanks};

constexpr int kHuge = 2000000000;
constexpr int kZoneCells = 79 * 21;  // columns 1..79 of the 21 zone rows, the Base's cell included

int teamOf(Kind kind)
{
    return kind % 2;
}
bool isTank(Kind kind)
{
    return kind == kRedTanks || kind == kBlueTanks;
}
bool isSniper(Kind kind)
{
    return kind == kRedSnipers || kind == kBlueSnipers;
}

int countOf(const UnitCounts& counts, Kind kind)
{
    const int byKind[] = {counts.redSoldiers, counts.blueSoldiers, counts.redTanks,
                          counts.blueTanks,   counts.redSnipers,   counts.blueSnipers};
    return byKind[kind];
}

// The kind of a unit on the field, or -1 for a Base (or anything else).
int kindOf(const Entity* unit)
{
    if (dynamic_cast<const Tank*>(unit) != nullptr) return unit->team == 0 ? kRedTanks : kBlueTanks;
    if (const auto* soldier = dynamic_cast<const Soldier*>(unit)) {
        const bool sniper = soldier->soldierKind == SoldierKind::Sniper;
        return unit->team == 0 ? (sniper ? kRedSnipers : kRedRiflemen) : (sniper ? kBlueSnipers : kBlueRiflemen);
    }
    return -1;
}

// A unit as the random draws make it.
struct Drawn {
    Kind kind;
    int x, y;
    int period, size, shade;  // shade: tanks only
};

// Draws units exactly as the placement rules lay them out, on a private copy of the occupied
// cells, so the field's units can be checked figure by figure against the same seed.
class Replay {
public:
    Replay(const Battlefield& field, Random& random) : random_(random)
    {
        for (int x = 0; x < 80; ++x) {
            for (int y = 0; y < 64; ++y) taken_[x][y] = field.occupantAt(float(x), float(y)) != nullptr;
        }
    }

    // One placement attempt; true when the drawn cell is on the grid and free.
    bool attempt(Kind kind)
    {
        Drawn unit{kind, 0, 0, 0, 0, 0};
        if (isTank(kind)) {
            unit.shade = random_.next() % 128 + 128;
            unit.size = random_.next() % 3 + 3;
            unit.period = random_.next() % 10 + 10;
            unit.y = drawRow(kind);
            unit.x = drawColumn();
        } else {
            unit.y = drawRow(kind);
            unit.x = drawColumn();
            unit.period = isSniper(kind) ? random_.next() % 10 + 25 : random_.next() % 10 + 10;
            unit.size = random_.next() % 5 + 1;
        }
        if (unit.x >= 80 || taken_[unit.x][unit.y]) return false;
        taken_[unit.x][unit.y] = true;
        placed.push_back(unit);
        return true;
    }

    // From an empty field: the two Bases first, then the armies index by index.
    void deploy(const UnitCounts& counts)
    {
        taken_[40][3] = taken_[40][61] = true;
        int n = 0;
        for (Kind kind : kDeployOrder) n = std::max(n, countOf(counts, kind));
        for (int i = 0; i < n; ++i) {
            for (Kind kind : kDeployOrder) {
                if (countOf(counts, kind) <= i) continue;
                for (int a = 0; a < 10 && !attempt(kind); ++a) {
                }
            }
        }
    }

    void wave(const UnitCounts& counts)
    {
        for (Kind kind : kWaveOrder) {
            for (int n = 0; n < countOf(counts, kind) / 2; ++n) attempt(kind);
        }
    }

    std::vector<Drawn> placed;

private:
    int drawRow(Kind kind) { return teamOf(kind) == 0 ? random_.next() % 21 + 1 : 63 - random_.next() % 21; }
    int drawColumn() { return random_.next() % 1280 / 16 + 1; }

    Random& random_;
    bool taken_[80][64];
};

void expectGoalOfTeam(const Entity& unit)
{
    const float goalY = unit.team == 0 ? 61.0f : 3.0f;
    EXPECT_EQ(unit.goal.x, 40.0f);
    EXPECT_EQ(unit.goal.y, goalY);
}

void expectBase(const Entity* unit, int team, int y)
{
    ASSERT_NE(dynamic_cast<const Base*>(unit), nullptr);
    EXPECT_EQ(unit->team, team);
    EXPECT_EQ(unit->x, 40);
    EXPECT_EQ(unit->y, y);
    EXPECT_EQ(unit->health, 1000.0f);
    EXPECT_EQ(unit->damage, 10.0f);
    EXPECT_EQ(unit->range, 25.0f);
    EXPECT_EQ(unit->actionPeriod, 5);
    EXPECT_EQ(unit->actionCountdown, 5);
    EXPECT_EQ(unit->mode, Mode::Advance);
    EXPECT_EQ(unit->colour, (Colour{0, 0, 0}));
    expectGoalOfTeam(*unit);
}

// Every creation value of a freshly placed unit against its draws.
void expectDrawnUnit(const Entity* unit, const Drawn& drawn)
{
    ASSERT_EQ(kindOf(unit), drawn.kind);
    EXPECT_EQ(unit->x, drawn.x);
    EXPECT_EQ(unit->y, drawn.y);
    EXPECT_EQ(unit->actionPeriod, drawn.period);
    EXPECT_EQ(unit->actionCountdown, drawn.period);
    EXPECT_EQ(unit->size, float(drawn.size));
    EXPECT_EQ(unit->damage, 10.0f);
    EXPECT_EQ(unit->mode, Mode::Advance);
    EXPECT_FALSE(unit->target().isSet());
    EXPECT_EQ(unit->travelSteps(), 0);
    EXPECT_EQ(unit->travelReason(), TravelReason::None);
    EXPECT_FALSE(unit->destination().isSet());
    expectGoalOfTeam(*unit);
    if (const auto* tank = dynamic_cast<const Tank*>(unit)) {
        EXPECT_EQ(tank->health, 250.0f);
        EXPECT_EQ(tank->range, 10.0f);
        EXPECT_EQ(tank->colour, (tank->team == 0 ? Colour{drawn.shade, 0, 0} : Colour{0, 0, drawn.shade}));
        EXPECT_EQ(tank->aimPoint.x, -1.0f);
        EXPECT_EQ(tank->aimPoint.y, -1.0f);
        EXPECT_EQ(tank->aimCountdown, -1);
    } else {
        const bool sniper = isSniper(drawn.kind);
        EXPECT_EQ(unit->health, sniper ? 50.0f : 100.0f);
        EXPECT_EQ(unit->range, sniper ? 20.0f : 5.0f);
        EXPECT_EQ(unit->colour, (unit->team == 0 ? Colour{127, 0, 0} : Colour{0, 0, 127}));
    }
}

// The units from `first` on, against the replayed list, one by one.
void expectUnitsAsDrawn(const UnitRange& units, size_t first, const std::vector<Drawn>& drawn)
{
    ASSERT_EQ(units.size(), first + drawn.size());
    auto it = std::next(units.begin(), long(first));
    for (size_t i = 0; i < drawn.size(); ++i, ++it) {
        SCOPED_TRACE("unit " + std::to_string(first + i));
        expectDrawnUnit(*it, drawn[i]);
    }
}

// Units standing in a team's start zone (columns 1..79 of its 21 rows), Base included.
int occupiedZoneCells(const Battlefield& field, int team)
{
    const int firstRow = team == 0 ? 1 : 43;
    int occupied = 0;
    for (int y = firstRow; y < firstRow + 21; ++y) {
        for (int x = 1; x < 80; ++x) occupied += field.occupantAt(float(x), float(y)) != nullptr;
    }
    return occupied;
}

using DeploymentTest = WorldTest;

struct DeployCase {
    const char* name;
    UnitCounts counts;  // red riflemen, blue riflemen, red tanks, blue tanks, red snipers, blue snipers
};

const DeployCase kDeployCases[] = {
    {"default counts", {200, 200, 50, 50, 50, 50}},
    {"no units", {0, 0, 0, 0, 0, 0}},
    {"one of each", {1, 1, 1, 1, 1, 1}},
    {"five of each", {5, 5, 5, 5, 5, 5}},
    {"negative counts", {-3, 4, -1, 2, -100, 3}},
    {"300 red tanks", {200, 200, 300, 200, 200, 200}},
    // Nearly as many as the zone holds: late units need many attempts and some use up all ten.
    {"crowded red zone", {1600, 3, 0, 0, 0, 0}},
};

}  // namespace

TEST_F(DeploymentTest, DeployedUnitsAreTheSeedsDrawsInInterleavedOrder)
{
    for (const DeployCase& c : kDeployCases) {
        SCOPED_TRACE(c.name);
        const auto scoped = std::make_unique<Battlefield>();
        Battlefield& fresh = *scoped;
        Random replayed(77);
        Replay replay(fresh, replayed);
        Random random(77);
        deployArmies(fresh, random, c.counts);
        const int nextDraw = random.next();

        replay.deploy(c.counts);
        EXPECT_EQ(replayed.next(), nextDraw) << "a different number of draws was made";

        ASSERT_GE(fresh.units().size(), 2u);
        expectBase(fresh.units()[0], 0, 3);
        expectBase(fresh.units()[1], 1, 61);
        expectUnitsAsDrawn(fresh.units(), 2, replay.placed);
        const std::vector<Renderer*> objects = objectList(fresh);
        EXPECT_TRUE(std::equal(fresh.units().begin(), fresh.units().end(), objects.begin(), objects.end()));

        int perKind[6] = {0, 0, 0, 0, 0, 0};
        for (const Entity* unit : fresh.units()) {
            EXPECT_NE(unit->x, 0);
            if (kindOf(unit) < 0) continue;
            ++perKind[kindOf(unit)];
            if (unit->team == 0) {
                EXPECT_TRUE(unit->y >= 1 && unit->y <= 21) << unit->y;
            } else {
                EXPECT_TRUE(unit->y >= 43 && unit->y <= 63) << unit->y;
            }
        }
        for (Kind kind : kDeployOrder) {
            EXPECT_LE(perKind[kind], std::max(0, countOf(c.counts, kind)));
        }
        // Only a loop that goes on past index 199 can place more than 200 red tanks.
        if (c.counts.redTanks == 300) {
            EXPECT_GT(perKind[kRedTanks], 200);
        }
    }
}

namespace {

struct WaveCase {
    const char* name;
    UnitCounts counts;
    bool deployFirst;  // a wave on top of a deployed army, or on a field with a few units only
};

const WaveCase kWaveCases[] = {
    {"default counts after deployment", {200, 200, 50, 50, 50, 50}, true},
    {"small, zero and negative counts", {1, 5, -5, 0, 3, 2}, false},
};

// The rank of a kind in the wave's order.
int waveRank(int kind)
{
    return int(std::find(std::begin(kWaveOrder), std::end(kWaveOrder), kind) - std::begin(kWaveOrder));
}

}  // namespace

TEST_F(DeploymentTest, WaveAddsHalfOfEveryCountInItsOwnOrderAndRetargetsEveryone)
{
    for (const WaveCase& c : kWaveCases) {
        SCOPED_TRACE(c.name);
        const auto scoped = std::make_unique<Battlefield>();
        Battlefield& fresh = *scoped;
        Random random(5);
        if (c.deployFirst) deployArmies(fresh, random, c.counts);
        // Units that stand anywhere and head anywhere before the wave.
        fresh.registerUnit(std::make_unique<Soldier>(random, 0, 30, 50, SoldierKind::Rifleman));
        fresh.registerUnit(std::make_unique<Tank>(1, 31, 10, 200, 4, 12));
        for (Entity* unit : fresh.units()) unit->goal = {5.0f, 6.0f};
        const size_t before = fresh.units().size();

        Random replayed(99);
        Replay replay(fresh, replayed);
        random.reseed(99);
        launchReinforcements(fresh, random, c.counts);
        const int nextDraw = random.next();
        replay.wave(c.counts);
        EXPECT_EQ(replayed.next(), nextDraw) << "a different number of draws was made";

        expectUnitsAsDrawn(fresh.units(), before, replay.placed);

        int added[6] = {0, 0, 0, 0, 0, 0};
        int lastRank = 0;
        for (auto it = std::next(fresh.units().begin(), long(before)); it != fresh.units().end(); ++it) {
            const int kind = kindOf(*it);
            ASSERT_GE(kind, 0);
            ++added[kind];
            EXPECT_GE(waveRank(kind), lastRank) << "kinds out of the wave's order";
            lastRank = waveRank(kind);
        }
        int sum = 0;
        for (Kind kind : kDeployOrder) {
            const int half = countOf(c.counts, kind) / 2;
            EXPECT_LE(added[kind], std::max(0, half));
            if (half <= 0) {
                EXPECT_EQ(added[kind], 0);
            }
            sum += added[kind];
        }
        EXPECT_EQ(size_t(sum), fresh.units().size() - before);
        for (const Entity* unit : fresh.units()) expectGoalOfTeam(*unit);
    }
}

// Counts far beyond what the start zones hold: placement stops once a zone is packed instead
// of drawing on for billions of attempts that could only be refused.
TEST_F(DeploymentTest, HugeCountsPackTheStartZones)
{
    const struct {
        const char* name;
        UnitCounts counts;
        bool blueHuge;
    } cases[] = {
        {"every count huge", {kHuge, kHuge, kHuge, kHuge, kHuge, kHuge}, true},
        {"red snipers huge", {200, 200, 50, 50, kHuge, 50}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto scoped = std::make_unique<Battlefield>();
        Battlefield& fresh = *scoped;
        Random random(3);
        deployArmies(fresh, random, c.counts);

        EXPECT_LE(fresh.units().size(), size_t(2 * kZoneCells));
        EXPECT_EQ(occupiedZoneCells(fresh, 0), kZoneCells);
        // The blue side asks for 300 units: with its zone under a fifth full, ten refusals in a
        // row for one unit are out of the question.
        EXPECT_EQ(occupiedZoneCells(fresh, 1), c.blueHuge ? kZoneCells : 301);
        EXPECT_EQ(fresh.units().size(), size_t(occupiedZoneCells(fresh, 0) + occupiedZoneCells(fresh, 1)));
        for (const Entity* unit : fresh.units()) expectGoalOfTeam(*unit);

        // A wave on top of packed (or nearly packed) zones ends as promptly and adds what fits.
        launchReinforcements(fresh, random, {kHuge, kHuge, kHuge, kHuge, kHuge, kHuge});
        EXPECT_EQ(occupiedZoneCells(fresh, 0), kZoneCells);
        EXPECT_EQ(occupiedZoneCells(fresh, 1), kZoneCells);
        EXPECT_EQ(fresh.units().size(), size_t(2 * kZoneCells));
    }
}

// Once a start zone is full, no attempt is made for that side any more, so attempts that
// could only be refused draw no random numbers: every count beyond what a zone holds places
// the same units and leaves the generator at the same point, at deployment and in a wave.
// (Drawing on for each refused attempt would make huge counts take hours for nothing.)
TEST_F(DeploymentTest, AFullStartZoneDrawsNoMoreRandomNumbers)
{
    struct Outcome {
        std::vector<int> cells;  // team, x, y of every unit in list order
        int nextDraw = 0;
    };
    auto deployAndWave = [](int redRiflemen, bool wave) {
        const auto field = std::make_unique<Battlefield>();
        const UnitCounts counts{redRiflemen, 40, 0, 5, 0, 5};
        Random random(17);
        deployArmies(*field, random, counts);
        if (wave) launchReinforcements(*field, random, counts);
        Outcome outcome;
        for (const Entity* unit : field->units())
            outcome.cells.insert(outcome.cells.end(), {unit->team, unit->x, unit->y});
        outcome.nextDraw = random.next();
        return outcome;
    };
    for (const bool wave : {false, true}) {
        SCOPED_TRACE(wave ? "deployment and a wave" : "deployment");
        const Outcome packed = deployAndWave(4000, wave);
        const Outcome overfull = deployAndWave(40000, wave);
        EXPECT_EQ(packed.cells, overfull.cells);
        EXPECT_EQ(packed.nextDraw, overfull.nextDraw);
        // The red zone is packed (its base included) and the blue side is all there.
        EXPECT_GE(packed.cells.size() / 3, size_t(kZoneCells + 40 + 5 + 5 + 1));
    }
}
