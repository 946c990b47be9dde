#include "world/Battlefield.h"

#include "support/TestWorld.h"
#include "units/Soldier.h"

using BattlefieldTest = WorldTest;

TEST_F(BattlefieldTest, QueriesOutsideTheGridGiveNothing)
{
    Soldier* corner = placeSoldier(0, 79, 63);
    EXPECT_EQ(field().occupantAt(79.9f, 63.9f), corner);
    EXPECT_EQ(field().occupantAt(80.0f, 0.0f), nullptr);
    EXPECT_EQ(field().occupantAt(-0.5f, 0.0f), nullptr);
    EXPECT_EQ(field().heightAt(-1.0f, 10.0f), -1);
    EXPECT_EQ(field().heightAt(10.0f, 64.0f), -1);
    EXPECT_FALSE(field().isFreeCell(79.0f, 63.0f));
    EXPECT_FALSE(field().isFreeCell(-0.5f, 3.0f));
    EXPECT_TRUE(field().isFreeCell(0.0f, 0.0f));
}
