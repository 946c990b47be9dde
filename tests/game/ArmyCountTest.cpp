#include "game/ArmyCount.h"
#include "support/TestWorld.h"
#include "units/Base.h"
#include "units/Soldier.h"
#include "units/Tank.h"

using ArmyCountTest = WorldTest;

TEST_F(ArmyCountTest, CountsTheLivingFightersOfEachSideAndKind)
{
    placeSoldier(0, 1, 1, SoldierKind::Rifleman);
    placeSoldier(0, 2, 1, SoldierKind::Rifleman);
    placeSoldier(0, 3, 1, SoldierKind::Sniper);
    placeTank(0, 4, 1);
    placeBase(0, 40, 3);
    placeSoldier(1, 1, 60, SoldierKind::Sniper);
    placeTank(1, 2, 60);
    placeTank(1, 3, 60)->health = 0;  // dead but not yet swept away
    placeSoldier(1, 4, 60, SoldierKind::Rifleman)->health = -3;
    placeBase(1, 40, 61);

    const ArmyCount count = countArmies(field());
    EXPECT_EQ(count.units[0][kRiflemenKind], 2);
    EXPECT_EQ(count.units[0][kSnipersKind], 1);
    EXPECT_EQ(count.units[0][kTanksKind], 1);
    EXPECT_EQ(count.units[1][kRiflemenKind], 0);
    EXPECT_EQ(count.units[1][kSnipersKind], 1);
    EXPECT_EQ(count.units[1][kTanksKind], 1);
    EXPECT_EQ(count.side(0), 4);
    EXPECT_EQ(count.side(1), 2);
}
