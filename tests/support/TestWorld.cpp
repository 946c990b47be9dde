#include "support/TestWorld.h"

#include <allegro.h>

#include <cerrno>

#include "game/WorldInvariants.h"
#include "units/Base.h"
#include "units/Soldier.h"
#include "units/Tank.h"

void ensureHeadlessAllegro()
{
    static bool started = false;
    if (started) return;
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(kColourDepth);
    started = true;
}

void WorldTest::SetUp()
{
    ensureHeadlessAllegro();
    canvas_.emplace();
}

void WorldTest::TearDown()
{
    // Whatever the test did, the world's indexes must still agree with the world.
    EXPECT_EQ(findIndexViolation(*field_), "") << "at the end of the test";
    EXPECT_EQ(findSearchDisagreement(*field_), "") << "at the end of the test";
    field_.reset();
    canvas_.reset();
}

int WorldTest::pixel(int x, int y) const
{
    return getpixel(canvas_->bitmap(), x, y);
}

int WorldTest::colourValue(int r, int g, int b)
{
    return makecol16(r, g, b);
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
