#include <iterator>
#include <ostream>
#include <vector>

#include "support/TestWorld.h"
#include "units/Base.h"
#include "units/Soldier.h"
#include "units/TargetSearch.h"

namespace {

using TargetSearchTest = WorldTest;

struct Cell {
    int x;
    int y;
};

// ---- findNearestEnemy ----

// Enemies are placed relative to a red searcher at (20, 20); the search must hand back the
// one its diamond rings reach first.
struct RingCase {
    const char* name;
    std::vector<Cell> enemies;  // offsets from the searcher
    int rings;
    int expected;  // index into enemies, -1 for none
};
std::ostream& operator<<(std::ostream& out, const RingCase& c)
{
    return out << c.name;
}

class RingOrderTest : public WorldTest, public testing::WithParamInterface<RingCase> {};

TEST_P(RingOrderTest, FindsTheEnemyItsRingsReachFirst)
{
    const RingCase& c = GetParam();
    Soldier* searcher = placeSoldier(0, 20, 20);
    std::vector<Entity*> enemies;
    for (const Cell& e : c.enemies) enemies.push_back(placeSoldier(1, 20 + e.x, 20 + e.y));
    Entity* expected = c.expected < 0 ? nullptr : enemies[c.expected];
    EXPECT_EQ(findNearestEnemy(field(), *searcher, c.rings), expected);
}

INSTANTIATE_TEST_SUITE_P(TargetSearch, RingOrderTest,
                         testing::Values(RingCase{"below wins over right", {{1, 0}, {0, 1}}, 5, 1},
                                         RingCase{"axis cell of a ring before its diagonal", {{2, 1}, {0, 3}}, 5, 1},
                                         RingCase{"ring 3 before a straighter ring 4", {{2, 2}, {0, 3}}, 5, 1},
                                         RingCase{"below before left", {{-1, 0}, {0, 1}}, 5, 1},
                                         RingCase{"left before up", {{0, -1}, {-1, 0}}, 5, 1},
                                         RingCase{"up before right", {{1, 0}, {0, -1}}, 5, 1},
                                         RingCase{"diagonals turn the same way", {{1, -1}, {-1, -1}, {-1, 1}}, 5, 2},
                                         RingCase{"(3, 4) lies in ring 7", {{3, 4}}, 5, -1},
                                         RingCase{"last ring included", {{-2, -3}}, 5, 0},
                                         RingCase{"zero rings see nothing", {{0, 1}}, 0, -1},
                                         RingCase{"negative rings see nothing", {{0, 1}}, -3, -1}));

TEST_F(TargetSearchTest, NearestEnemyPassesOverAlliesAndCountsBases)
{
    Soldier* searcher = placeSoldier(0, 20, 20);
    placeSoldier(0, 20, 21);  // first cell of ring 1, same team
    Base* base = placeBase(1, 19, 20);
    placeSoldier(1, 20, 19);
    EXPECT_EQ(findNearestEnemy(field(), *searcher, 3), base);
}

// A search that wrapped around the edges would see the far-side enemies in ring 1.
TEST_F(TargetSearchTest, CornerSearchStaysInsideTheGrid)
{
    Soldier* topLeft = placeSoldier(0, 0, 0);
    Soldier* bottomRight = placeSoldier(0, 79, 63);
    placeSoldier(1, 79, 0);
    placeSoldier(1, 0, 63);
    Soldier* nearTopLeft = placeSoldier(1, 2, 1);
    Soldier* nearBottomRight = placeSoldier(1, 77, 62);
    EXPECT_EQ(findNearestEnemy(field(), *topLeft, 5), nearTopLeft);
    EXPECT_EQ(findNearestEnemy(field(), *bottomRight, 5), nearBottomRight);
}

// ---- stepTowards ----

TEST_F(TargetSearchTest, StepTowardsStaysWhenBoxedIn)
{
    Soldier* unit = placeSoldier(0, 10, 10);
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (dx != 0 || dy != 0) placeSoldier(dx == 1 ? 1 : 0, 10 + dx, 10 + dy);
        }
    }
    const Vec2 step = stepTowards(field(), *unit, 10.0f, 30.0f);
    EXPECT_EQ(step.x, 10.0f);
    EXPECT_EQ(step.y, 10.0f);
}

// A unit at (10, 10) on flat ground; some neighbours are taken, some raised to height 4.
struct StepCase {
    const char* name;
    Cell destination;
    std::vector<Cell> blockers;
    std::vector<Cell> hills;
    Cell expected;
};
std::ostream& operator<<(std::ostream& out, const StepCase& c)
{
    return out << c.name;
}

class StepTowardsTest : public WorldTest, public testing::WithParamInterface<StepCase> {};

TEST_P(StepTowardsTest, TakesNearestFreeNeighbourThenHigherGroundThenLowerIndex)
{
    const StepCase& c = GetParam();
    Soldier* unit = placeSoldier(0, 10, 10);
    for (const Cell& b : c.blockers) placeSoldier(0, b.x, b.y);
    for (const Cell& h : c.hills) field().setHeight(h.x, h.y, 4);
    const Vec2 step =
        stepTowards(field(), *unit, static_cast<float>(c.destination.x), static_cast<float>(c.destination.y));
    EXPECT_EQ(step.x, static_cast<float>(c.expected.x));
    EXPECT_EQ(step.y, static_cast<float>(c.expected.y));
}

const Cell kRowBelowBlocked[] = {{9, 11}, {10, 11}, {11, 11}};

INSTANTIATE_TEST_SUITE_P(
    TargetSearch, StepTowardsTest,
    testing::Values(StepCase{"own cell on level ground: up comes first", {10, 10}, {}, {}, {10, 9}},
                    StepCase{"own cell with the right cell higher", {10, 10}, {}, {{11, 10}}, {11, 10}},
                    StepCase{"straight on when free", {10, 30}, {}, {}, {10, 11}},
                    StepCase{"blocked in front walks sideways, right first",
                             {10, 30},
                             {std::begin(kRowBelowBlocked), std::end(kRowBelowBlocked)},
                             {},
                             {11, 10}},
                    StepCase{"blocked in front walks sideways onto higher ground",
                             {10, 30},
                             {std::begin(kRowBelowBlocked), std::end(kRowBelowBlocked)},
                             {{9, 10}},
                             {9, 10}},
                    StepCase{"blocked ahead and aside steps back",
                             {10, 30},
                             {{9, 11}, {10, 11}, {11, 11}, {9, 10}, {11, 10}},
                             {},
                             {10, 9}}));

TEST_F(TargetSearchTest, StepTowardsFromCornersOnlyOffersCellsInsideTheGrid)
{
    Soldier* topLeft = placeSoldier(0, 0, 0);
    const Vec2 fromTopLeft = stepTowards(field(), *topLeft, -5.0f, -5.0f);  // every cell inside lies farther
    EXPECT_EQ(fromTopLeft.x, 1.0f);
    EXPECT_EQ(fromTopLeft.y, 0.0f);

    Soldier* bottomRight = placeSoldier(0, 79, 63);
    const Vec2 fromBottomRight = stepTowards(field(), *bottomRight, 90.0f, 70.0f);
    EXPECT_EQ(fromBottomRight.x, 79.0f);
    EXPECT_EQ(fromBottomRight.y, 62.0f);
}

// ---- findFiringPosition and inRange ----

// Only strictly higher ground is worth the move: a hilltop, level ground and a ridge of the
// unit's own height all keep it where it is.
TEST_F(TargetSearchTest, FiringPositionWithoutHigherGroundIsOwnCell)
{
    struct Case {
        int ownHeight;
        int neighbourHeight;
    };
    const Case cases[] = {{6, 5}, {0, 0}, {4, 4}};
    int column = 10;  // each unit on its own stretch of the field
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "own " << c.ownHeight << ", neighbours " << c.neighbourHeight);
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) field().setHeight(column + dx, 10 + dy, c.neighbourHeight);
        }
        field().setHeight(column, 10, c.ownHeight);
        Soldier* unit = placeSoldier(0, column, 10);
        unit->setTarget(field(), placeSoldier(1, column, 13));
        const Vec2 position = findFiringPosition(field(), *unit);
        EXPECT_EQ(position.x, static_cast<float>(column));
        EXPECT_EQ(position.y, 10.0f);
        column += 10;
    }
}

TEST_F(TargetSearchTest, FiringPositionPicksHighestFreeCellThatKeepsTargetInRange)
{
    // The rifleman (range 5) at height 3 aims at (11, 14). From (9, 9) the target is
    // 2 columns and 5 rows off (29 > 25), so that hill of 9 is no use; the occupied 8 is
    // not free; of the free cells in range the 7 is the highest.
    field().setHeight(10, 10, 3);
    field().setHeight(9, 9, 9);
    field().setHeight(9, 11, 5);
    field().setHeight(11, 11, 7);
    field().setHeight(10, 11, 8);
    Soldier* unit = placeSoldier(0, 10, 10);
    placeSoldier(0, 10, 11);
    unit->setTarget(field(), placeSoldier(1, 11, 14));
    Vec2 position = findFiringPosition(field(), *unit);
    EXPECT_EQ(position.x, 11.0f);
    EXPECT_EQ(position.y, 11.0f);

    // A second 7 at (9, 11), in range too: the lower index, down-right, keeps the choice.
    field().setHeight(9, 11, 7);
    position = findFiringPosition(field(), *unit);
    EXPECT_EQ(position.x, 11.0f);
    EXPECT_EQ(position.y, 11.0f);
}

TEST_F(TargetSearchTest, InRangeIsEuclideanAndInclusive)
{
    struct Case {
        Cell offset;  // of the target from the rifleman
        bool expected;
    };
    const Case cases[] = {{{3, 4}, true}, {{4, 4}, false}, {{5, 0}, true}, {{0, -6}, false}, {{-4, -3}, true}};
    int column = 10;  // each pair on its own stretch of the field
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "target offset (" << c.offset.x << ", " << c.offset.y << ")");
        Soldier* rifleman = placeSoldier(0, column, 30);
        ASSERT_EQ(rifleman->range, 5.0f);
        const Soldier* target = placeSoldier(1, column + c.offset.x, 30 + c.offset.y);
        EXPECT_EQ(rifleman->inRange(*target, column, 30), c.expected);
        column += 12;
    }
}

// ---- findAllyFight ----

TEST_F(TargetSearchTest, AllyFightIgnoresUnitsThatGiveNoReason)
{
    Soldier* unit = placeSoldier(0, 10, 10);
    Soldier* enemy = placeSoldier(1, 40, 40);
    unit->setTarget(field(), enemy);  // its own fight is no reason to travel
    Soldier* joining = placeSoldier(0, 12, 10);
    joining->giveTravelOrder(field(), {30.0f, 30.0f}, TravelReason::JoinFight, 5);
    Soldier* spentOrder = placeSoldier(0, 13, 10);
    spentOrder->giveTravelOrder(field(), {31.0f, 31.0f}, TravelReason::AnswerFire, 0);
    placeSoldier(0, 14, 10);  // idle
    Soldier* otherTeam = placeSoldier(1, 11, 10);
    otherTeam->setTarget(field(), unit);

    EXPECT_FALSE(findAllyFight(field(), *unit).isSet());
}

TEST_F(TargetSearchTest, AllyFightFindsTheNearestReasonAndLetsBasesWin)
{
    Soldier* unit = placeSoldier(0, 10, 10);

    Soldier* farEngaged = placeSoldier(0, 10, 20);
    farEngaged->setTarget(field(), placeSoldier(1, 10, 24));
    Soldier* answering = placeSoldier(0, 14, 10);  // hit while unengaged
    answering->giveTravelOrder(field(), {18.0f, 3.0f}, TravelReason::AnswerFire, 7);
    Vec2 fight = findAllyFight(field(), *unit);
    EXPECT_EQ(fight.x, 18.0f);
    EXPECT_EQ(fight.y, 3.0f);

    Soldier* nearEngaged = placeSoldier(0, 10, 12);
    nearEngaged->setTarget(field(), placeSoldier(1, 12, 16));
    fight = findAllyFight(field(), *unit);
    EXPECT_EQ(fight.x, 12.0f);
    EXPECT_EQ(fight.y, 16.0f);

    // Equally near, but later in the list: the earlier ally keeps the choice.
    Soldier* tie = placeSoldier(0, 8, 10);
    tie->setTarget(field(), placeSoldier(1, 4, 10));
    fight = findAllyFight(field(), *unit);
    EXPECT_EQ(fight.x, 12.0f);
    EXPECT_EQ(fight.y, 16.0f);

    // A far ally Base under attack, last in the list, overrides every nearer fight.
    Base* base = placeBase(0, 60, 60);
    base->setTarget(field(), placeSoldier(1, 55, 58));
    fight = findAllyFight(field(), *unit);
    EXPECT_EQ(fight.x, 55.0f);
    EXPECT_EQ(fight.y, 58.0f);

    // An enemy Base with a target is no ally.
    base->setTarget(field(), nullptr);
    Base* enemyBase = placeBase(1, 11, 11);
    enemyBase->setTarget(field(), unit);
    fight = findAllyFight(field(), *unit);
    EXPECT_EQ(fight.x, 12.0f);
    EXPECT_EQ(fight.y, 16.0f);
}

}  // namespace
