// The searches answer from the battlefield's cell masks; the long walks they replace are kept
// beside them. Throughout a crowded seeded battle, both must give the same answer for every
// unit, and the masks must mirror the grid.

#include <gtest/gtest.h>

#include "app/Battle.h"
#include "units/Entity.h"
#include "units/TargetSearch.h"
#include "world/Battlefield.h"
#include "world/WorldInvariants.h"

TEST(SearchIndex, FastSearchesAgreeWithTheLongWalksThroughoutABattle)
{
    UnitCounts crowded;
    crowded.redSoldiers = crowded.blueSoldiers = 700;
    crowded.redTanks = crowded.blueTanks = 200;
    crowded.redSnipers = crowded.blueSnipers = 200;
    Battle battle(crowded, 5);
    Battlefield& field = battle.field();

    int enemiesFound = 0;
    int fightsFound = 0;
    for (int pass = 1; pass <= 1500 && field.gameOver == 0; ++pass) {
        battle.frame();
        ASSERT_EQ(findInvariantViolation(field), "") << "pass " << pass;
        if (pass % 50 != 0) continue;
        for (const Entity* unit : field.units) {
            for (const int rings : {0, 5, 10, 20, 25}) {
                const Entity* fast = findNearestEnemy(*unit, rings);
                ASSERT_EQ(fast, findNearestEnemyByScan(*unit, rings))
                    << "pass " << pass << ", unit at (" << unit->x << ", " << unit->y << "), " << rings << " rings";
                enemiesFound += fast != nullptr;
            }
            const Vec2 fast = findAllyFight(field, *unit);
            const Vec2 walked = findAllyFightByWalk(field, *unit);
            ASSERT_EQ(fast.x, walked.x) << "pass " << pass << ", unit at (" << unit->x << ", " << unit->y << ")";
            ASSERT_EQ(fast.y, walked.y) << "pass " << pass << ", unit at (" << unit->x << ", " << unit->y << ")";
            fightsFound += fast.isSet();
        }
    }
    // The battle must actually have had enemies in sight and fights to join.
    EXPECT_GT(enemiesFound, 1000);
    EXPECT_GT(fightsFound, 100);
}
