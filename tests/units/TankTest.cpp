#include <iterator>
#include <vector>

#include "effects/Particle.h"
#include "support/TestWorld.h"
#include "units/Base.h"
#include "units/Soldier.h"
#include "units/Tank.h"
#include "world/Random.h"

namespace {

using TankTest = WorldTest;

// The effects in the object list, in list order (units are skipped).
std::vector<Particle*> effectsIn(Battlefield& field)
{
    return objectsOf<Particle>(field);
}

// The tank at (10, 10) thinks every 10 updates. Its enemy three rows below is seen at the
// first decision step; the five-step countdown follows, and the shell lands at the seventh.
TEST_F(TankTest, TankThatSeesAnEnemyFiresOnItsSeventhDecisionStep)
{
    Tank* tank = placeTank(0, 10, 10, 4, 10);
    tank->goal = {10.0f, 60.0f};
    Soldier* enemy = placeSoldier(1, 10, 13);

    for (int update = 1; update <= 69; ++update) {
        tank->update(field(), random());
        if (update % 10 != 0) continue;
        const int step = update / 10;
        SCOPED_TRACE(testing::Message() << "decision step " << step);
        EXPECT_EQ(tank->mode, Mode::Bombard);
        EXPECT_EQ(field().unit(tank->target()), enemy);
        EXPECT_EQ(tank->aimPoint.x, 10.0f);
        EXPECT_EQ(tank->aimPoint.y, 13.0f);
        EXPECT_EQ(tank->aimCountdown, 6 - step);
        EXPECT_EQ(tank->x, 10);  // it neither moves nor searches while aiming
        EXPECT_EQ(tank->y, 10);
    }
    EXPECT_TRUE(effectsIn(field()).empty());
    EXPECT_EQ(enemy->health, 100.0f);

    tank->update(field(), random());
    EXPECT_EQ(enemy->health, 50.0f);
    // The explosion comes first, then the victim's three sparks (the only size-1 particles).
    const std::vector<Particle*> effects = effectsIn(field());
    ASSERT_EQ(effects.size(), 13u);
    for (std::size_t n = 0; n < effects.size(); ++n) {
        EXPECT_EQ(effects[n]->size == 1, n >= 10) << "particle " << n;
    }
    EXPECT_EQ(tank->mode, Mode::Advance);
    EXPECT_FALSE(tank->aimPoint.isSet());
    EXPECT_EQ(tank->aimCountdown, -1);
    EXPECT_EQ(field().unit(tank->target()), enemy);  // a tank keeps its last target
}

// Aim taken at (10, 14); the shell covers columns 8..12 and rows 12..16.
TEST_F(TankTest, ShellHitsWhoeverIsInTheBlockWhenItLands)
{
    Tank* tank = placeTank(0, 10, 12);  // inside its own block
    Soldier* aimedAt = placeSoldier(1, 10, 14);
    Soldier* latecomer = placeSoldier(1, 11, 19);
    Soldier* friendly = placeSoldier(0, 9, 13);
    Base* enemyBase = placeBase(1, 12, 16);
    Soldier* outside = placeSoldier(1, 13, 14);

    tank->think(field(), random());
    ASSERT_EQ(field().unit(tank->target()), aimedAt);
    field().moveEntity(aimedAt, 10.0f, 17.0f);  // three cells away
    field().moveEntity(latecomer, 11.0f, 15.0f);
    for (int step = 0; step < 6; ++step) tank->think(field(), random());

    EXPECT_EQ(aimedAt->health, 100.0f);
    EXPECT_EQ(latecomer->health, 50.0f);
    EXPECT_EQ(friendly->health, 100.0f);
    EXPECT_EQ(tank->health, 250.0f);
    EXPECT_EQ(enemyBase->health, 950.0f);
    EXPECT_EQ(outside->health, 100.0f);
}

// The block is clipped to the grid: at (0, 0) it is 0..2 x 0..2, at (79, 63) 77..79 x 61..63.
TEST_F(TankTest, SplashAtTheCornersStaysInsideTheGrid)
{
    Tank* tank = placeTank(0, 40, 30);
    struct Spot {
        int x;
        int y;
        bool hit;
    };
    const Spot spots[] = {{0, 0, true},    {2, 2, true},    {0, 2, true},   {2, 0, true},   {3, 0, false},
                          {0, 3, false},   {3, 3, false},   {79, 63, true}, {77, 61, true}, {77, 63, true},
                          {76, 63, false}, {79, 60, false}, {76, 60, false}};
    std::vector<Soldier*> enemies;
    for (const Spot& s : spots) enemies.push_back(placeSoldier(1, s.x, s.y));

    tank->splashDamage(field(), random(), 0, 0.0f, 0.0f);
    tank->splashDamage(field(), random(), 0, 79.0f, 63.0f);

    for (std::size_t n = 0; n < std::size(spots); ++n) {
        EXPECT_EQ(enemies[n]->health, spots[n].hit ? 50.0f : 100.0f) << "(" << spots[n].x << ", " << spots[n].y << ")";
    }
}

// Victims are taken column by column: (9, 11) before (10, 9), as their sparks show.
TEST_F(TankTest, SplashVisitsColumnsBeforeRows)
{
    Tank* tank = placeTank(0, 40, 30);
    placeSoldier(1, 10, 9);
    placeSoldier(1, 9, 11);
    tank->splashDamage(field(), random(), 0, 10.0f, 10.0f);
    const std::vector<Particle*> sparks = effectsIn(field());
    ASSERT_EQ(sparks.size(), 6u);
    EXPECT_EQ(sparks[0]->position.x, 16.0f * 9 + 8);
    EXPECT_EQ(sparks[0]->position.y, 16.0f * 11 + 8);
    EXPECT_EQ(sparks[3]->position.x, 16.0f * 10 + 8);
    EXPECT_EQ(sparks[3]->position.y, 16.0f * 9 + 8);
}

TEST_F(TankTest, ExplosionDrawsGreenRedLifetimeSizeThenTheParticlesOwn)
{
    Tank* tank = placeTank(0, 40, 30);
    random().reseed(31);
    tank->spawnExplosion(field(), random(), 5.0f, 6.0f);
    const std::vector<Particle*> effects = effectsIn(field());
    ASSERT_EQ(effects.size(), 10u);

    random().reseed(31);
    for (const Particle* particle : effects) {
        const int g = 128 + random().next() % 128;
        const int r = 200 + random().next() % 50;
        const int lifetime = 8 + random().next() % 4;
        const int size = 2 + random().next() % 3;
        const float signX = random().next() % 2 == 0 ? 1.0f : -1.0f;
        const float signY = random().next() % 2 == 0 ? 1.0f : -1.0f;
        const float vx = signX * static_cast<float>(3 + random().next() % 5);
        const float vy = signY * static_cast<float>(3 + random().next() % 5);
        EXPECT_EQ(particle->colour, (Colour{r, g, 0}));
        EXPECT_EQ(particle->lifetime, lifetime);
        EXPECT_EQ(particle->size, size);
        EXPECT_EQ(particle->velocity.x, vx);
        EXPECT_EQ(particle->velocity.y, vy);
        EXPECT_EQ(particle->position.x, 88.0f);
        EXPECT_EQ(particle->position.y, 104.0f);
        EXPECT_EQ(particle->fade, 20);
        EXPECT_EQ(particle->style, ParticleStyle::Dot);
    }
}

}  // namespace

// A tank whose target has been swept away while it aims is hit: with no target it answers the
// fire, keeps the aim point it had, and replaces it at its next aim, at the shooter's cell.
TEST_F(TankTest, HitWhileBombardingItAnswersFireAndAimsAnewAtItsNextStep)
{
    Tank* tank = placeTank(0, 10, 10, 4, 10);
    tank->goal = {10.0f, 60.0f};
    Soldier* first = placeSoldier(1, 10, 13);
    for (int update = 0; update < 10; ++update) tank->update(field(), random());
    ASSERT_EQ(tank->mode, Mode::Bombard);
    ASSERT_EQ(field().unit(tank->target()), first);

    first->health = 0.0f;
    updatePass();  // the enemy queues itself and is swept away, clearing the target
    ASSERT_EQ(field().unit(tank->target()), nullptr);
    ASSERT_EQ(tank->mode, Mode::Bombard);

    Soldier* shooter = placeSoldier(1, 12, 16);
    tank->takeDamage(field(), random(), shooter, 10.0f);
    EXPECT_EQ(tank->mode, Mode::Travel);
    EXPECT_EQ(tank->travelReason(), TravelReason::AnswerFire);
    EXPECT_EQ(tank->destination().x, 12.0f);
    EXPECT_EQ(tank->destination().y, 16.0f);
    EXPECT_EQ(tank->aimPoint.x, 10.0f) << "the old aim point stays until the next aim";
    EXPECT_EQ(tank->aimPoint.y, 13.0f);

    tank->think(field(), random());  // the shooter is within its rings: engage, aim at once
    EXPECT_EQ(tank->mode, Mode::Bombard);
    EXPECT_EQ(field().unit(tank->target()), shooter);
    EXPECT_EQ(tank->aimPoint.x, 12.0f);
    EXPECT_EQ(tank->aimPoint.y, 16.0f);
    EXPECT_EQ(tank->aimCountdown, 5);
}

// A travel order of five steps moves a tank five times; the sixth decision step ends it
// without a move, and the tank advances from the step after.
TEST_F(TankTest, TravelOrderOfFiveStepsMovesFiveTimesAndEndsOnTheSixth)
{
    Tank* tank = placeTank(0, 10, 10);
    tank->goal = {10.0f, 40.0f};
    tank->giveTravelOrder(field(), {30.0f, 10.0f}, TravelReason::JoinFight, 5);
    for (int step = 1; step <= 5; ++step) {
        SCOPED_TRACE(testing::Message() << "step " << step);
        tank->think(field(), random());
        EXPECT_EQ(tank->mode, Mode::Travel);
        EXPECT_EQ(tank->x, 10 + step);
        EXPECT_EQ(tank->y, 10);
        EXPECT_EQ(tank->travelSteps(), 5 - step);
    }
    tank->think(field(), random());
    EXPECT_EQ(tank->mode, Mode::Advance);
    EXPECT_EQ(tank->x, 15);
    EXPECT_EQ(tank->y, 10);
    EXPECT_FALSE(tank->destination().isSet());
    EXPECT_EQ(tank->travelReason(), TravelReason::None);

    tank->think(field(), random());  // towards (10, 40): down-left is nearest
    EXPECT_EQ(tank->x, 14);
    EXPECT_EQ(tank->y, 11);
}
