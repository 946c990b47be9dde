#include "support/TestWorld.h"

#include "game/WorldInvariants.h"
#include "units/Base.h"
#include "units/Soldier.h"
#include "units/Tank.h"

void WorldTest::TearDown()
{
    // Whatever the test did, the world's indexes must still agree with the world.
    EXPECT_EQ(findIndexViolation(*field_), "") << "at the end of the test";
    EXPECT_EQ(findSearchDisagreement(*field_), "") << "at the end of the test";
    field_.reset();
}

Soldier* WorldTest::placeSoldier(int team, int x, int y, SoldierKind kind)
{
    auto* unit = static_cast<Soldier*>(field_->registerUnit(std::make_unique<Soldier>(random_, team, x, y, kind)));
    EXPECT_NE(unit, nullptr) << "cell (" << x << ", " << y << ") is taken";
    return unit;
}

Tank* WorldTest::placeTank(int team, int x, int y, int size, int period)
{
    auto* unit = static_cast<Tank*>(field_->registerUnit(std::make_unique<Tank>(team, x, y, 200, size, period)));
    EXPECT_NE(unit, nullptr) << "cell (" << x << ", " << y << ") is taken";
    return unit;
}

Base* WorldTest::placeBase(int team, int x, int y)
{
    auto* unit = static_cast<Base*>(field_->registerUnit(std::make_unique<Base>(team, x, y)));
    EXPECT_NE(unit, nullptr) << "cell (" << x << ", " << y << ") is taken";
    return unit;
}
