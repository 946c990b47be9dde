#include <vector>

#include "effects/Projectile.h"
#include "support/TestWorld.h"
#include "units/Soldier.h"
#include "world/Random.h"

namespace {

using SoldierTest = WorldTest;

std::vector<Projectile*> shotsIn(Battlefield& field)
{
    return objectsOf<Projectile>(field);
}

void expectAt(const Entity& unit, int x, int y)
{
    EXPECT_EQ(unit.x, x);
    EXPECT_EQ(unit.y, y);
}

TEST_F(SoldierTest, ConstructorFiguresAndDraws)
{
    struct Case {
        SoldierKind kind;
        float health;
        float range;
        int periodBase;
    };
    const Case cases[] = {{SoldierKind::Rifleman, 100.0f, 5.0f, 10},
                          {SoldierKind::Sniper, 50.0f, 20.0f, 25},
                          {static_cast<SoldierKind>(3), 100.0f, 5.0f, 10}};
    for (const Case& c : cases) {
        for (unsigned seed : {1u, 2u, 7u}) {
            SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << ", seed " << seed);
            random().reseed(seed);
            const Soldier soldier(random(), 1, 4, 9, c.kind);
            random().reseed(seed);
            const int period = random().next() % 10 + c.periodBase;
            const float size = static_cast<float>(random().next() % 5 + 1);
            EXPECT_EQ(soldier.actionPeriod, period);
            EXPECT_EQ(soldier.actionCountdown, period);
            EXPECT_EQ(soldier.size, size);
            EXPECT_EQ(soldier.health, c.health);
            EXPECT_EQ(soldier.range, c.range);
            EXPECT_EQ(soldier.damage, 10.0f);
            EXPECT_EQ(soldier.colour, (Colour{0, 0, 127}));
            EXPECT_EQ(soldier.mode, Mode::Advance);
            EXPECT_FALSE(soldier.target().isSet());
            EXPECT_FALSE(soldier.goal.isSet());
            expectAt(soldier, 4, 9);
        }
    }
}

// Terrain around the red rifleman at (10, 10), height 3, whose enemy stands at (11, 14):
//   (9, 9) height 9, but 2 columns and 5 rows from the enemy: out of range;
//   (10, 11) height 8, in range but held by an ally;
//   (11, 11) height 7, free and in range: the place to shoot from;
//   (9, 11) height 5, free and in range, but lower.
TEST_F(SoldierTest, EngagedSoldierClimbsFiresThenAdvancesWhenEnemyLeaves)
{
    field().setHeight(10, 10, 3);
    field().setHeight(9, 9, 9);
    field().setHeight(10, 11, 8);
    field().setHeight(11, 11, 7);
    field().setHeight(9, 11, 5);
    Soldier* soldier = placeSoldier(0, 10, 10);
    placeSoldier(0, 10, 11);
    Soldier* enemy = placeSoldier(1, 11, 14);

    // It was travelling: the enemy in its rings ends the order at once.
    soldier->giveTravelOrder(field(), {30.0f, 10.0f}, TravelReason::JoinFight, 3);
    soldier->goal = {11.0f, 40.0f};

    soldier->think(field(), random());
    EXPECT_EQ(soldier->mode, Mode::Engage);
    EXPECT_EQ(field().unit(soldier->target()), enemy);
    EXPECT_EQ(soldier->colour, (Colour{255, 64, 64}));
    EXPECT_FALSE(soldier->destination().isSet());
    EXPECT_EQ(soldier->travelSteps(), 0);
    EXPECT_EQ(soldier->travelReason(), TravelReason::None);
    expectAt(*soldier, 11, 11);
    EXPECT_EQ(field().occupantAt(11, 11), soldier);
    EXPECT_EQ(field().occupantAt(10, 10), nullptr);

    // The shot leaves from the new cell: (184, 184) straight down to (184, 232), 48 pixels at 5 a frame.
    std::vector<Projectile*> shots = shotsIn(field());
    ASSERT_EQ(shots.size(), 1u);
    const Projectile& shot = *shots[0];
    EXPECT_EQ(shot.position.x, 184.0f);
    EXPECT_EQ(shot.position.y, 184.0f);
    EXPECT_EQ(shot.velocity.x, 0.0f);
    EXPECT_EQ(shot.velocity.y, 5.0f);
    EXPECT_EQ(shot.lifetime, 5 + 48 / 5);
    EXPECT_EQ(shot.size, 2);
    EXPECT_EQ(shot.colour, (Colour{255, 255, 0}));
    EXPECT_EQ(shot.damage, 10.0f);
    EXPECT_EQ(field().unit(shot.shooter), soldier);
    EXPECT_EQ(shot.team, 0);

    // Nothing higher is left in range: it fires again from where it stands.
    soldier->think(field(), random());
    expectAt(*soldier, 11, 11);
    shots = shotsIn(field());
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_EQ(shots[1]->position.x, 184.0f);
    EXPECT_EQ(shots[1]->position.y, 184.0f);

    // The enemy walks out of its rings: back to advancing, and it steps towards the goal at once.
    field().moveEntity(enemy, 60.0f, 60.0f);
    soldier->think(field(), random());
    EXPECT_EQ(soldier->mode, Mode::Advance);
    EXPECT_EQ(field().unit(soldier->target()), nullptr);
    EXPECT_EQ(soldier->colour, (Colour{127, 0, 0}));
    expectAt(*soldier, 11, 12);
    EXPECT_EQ(shotsIn(field()).size(), 2u);
}

TEST_F(SoldierTest, JoiningAnAllysFightChangesModeFirstAndMovesFromTheNextStep)
{
    Soldier* soldier = placeSoldier(0, 10, 10);
    Soldier* ally = placeSoldier(0, 20, 10);
    Soldier* enemy = placeSoldier(1, 30, 10);  // far beyond the soldier's rings

    soldier->think(field(), random());  // no goal, no fight to join
    EXPECT_EQ(soldier->mode, Mode::Advance);
    expectAt(*soldier, 10, 10);

    soldier->goal = {10.0f, 40.0f};
    ally->setTarget(field(), enemy);  // written directly, so reported as the units' own code does
    soldier->think(field(), random());
    EXPECT_EQ(soldier->mode, Mode::Travel);
    EXPECT_EQ(soldier->destination().x, 30.0f);
    EXPECT_EQ(soldier->destination().y, 10.0f);
    EXPECT_EQ(soldier->travelReason(), TravelReason::JoinFight);
    EXPECT_EQ(soldier->travelSteps(), 5);
    expectAt(*soldier, 10, 10);

    soldier->think(field(), random());
    expectAt(*soldier, 11, 10);
    EXPECT_EQ(soldier->travelSteps(), 4);
    EXPECT_TRUE(shotsIn(field()).empty());
}

// Ordered right towards (30, 10) while its goal lies below: the sixth step only ends the
// order, the seventh advances towards the goal again.
TEST_F(SoldierTest, TravelOrderOfFiveStepsMovesFiveTimesAndEndsOnTheSixth)
{
    Soldier* soldier = placeSoldier(0, 10, 10);
    soldier->goal = {10.0f, 40.0f};
    soldier->giveTravelOrder(field(), {30.0f, 10.0f}, TravelReason::JoinFight, 5);

    for (int step = 1; step <= 5; ++step) {
        SCOPED_TRACE(testing::Message() << "step " << step);
        soldier->think(field(), random());
        EXPECT_EQ(soldier->mode, Mode::Travel);
        expectAt(*soldier, 10 + step, 10);
        EXPECT_EQ(soldier->travelSteps(), 5 - step);
    }

    soldier->think(field(), random());
    EXPECT_EQ(soldier->mode, Mode::Advance);
    expectAt(*soldier, 15, 10);
    EXPECT_FALSE(soldier->destination().isSet());
    EXPECT_EQ(soldier->travelReason(), TravelReason::None);

    // From (15, 10) towards (10, 40): down-left is nearest (16 + 841).
    soldier->think(field(), random());
    expectAt(*soldier, 14, 11);
}

}  // namespace

// A sniper sees 20 rings (cells at a distance |dx| + |dy| up to 20) and no further, a rifleman 5.
TEST_F(SoldierTest, SightReachesTheRingOfItsRangeAndNoFurther)
{
    const struct {
        SoldierKind kind;
        int dx, dy;
        bool seen;
    } cases[] = {
        {SoldierKind::Sniper, 0, 20, true},    {SoldierKind::Sniper, 0, 21, false},
        {SoldierKind::Sniper, 10, 10, true},   {SoldierKind::Sniper, -11, 10, false},
        {SoldierKind::Sniper, 20, 0, true},    {SoldierKind::Sniper, -13, -7, true},
        {SoldierKind::Rifleman, 5, 0, true},   {SoldierKind::Rifleman, 3, 3, false},
        {SoldierKind::Rifleman, -2, -3, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << ", enemy at (" << c.dx << ", " << c.dy
                                        << ")");
        Soldier* soldier = placeSoldier(0, 30, 30, c.kind);
        Soldier* enemy = placeSoldier(1, 30 + c.dx, 30 + c.dy);
        soldier->goal = {30.0f, 63.0f};
        soldier->think(field(), random());
        EXPECT_EQ(field().unit(soldier->target()), c.seen ? enemy : nullptr);
        EXPECT_EQ(soldier->mode, c.seen ? Mode::Engage : Mode::Advance);
        // Clear the field for the next case.
        soldier->health = enemy->health = 0.0f;
        updatePass();
        ASSERT_TRUE(field().units().empty());
    }
}
