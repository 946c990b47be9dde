#include <vector>

#include "effects/Projectile.h"
#include "support/TestWorld.h"
#include "units/Base.h"
#include "units/Soldier.h"
#include "units/Tank.h"

namespace {

using BaseTest = WorldTest;

std::vector<Projectile*> shotsIn(Battlefield& field)
{
    return objectsOf<Projectile>(field);
}

// The red Base at (40, 3) sees 25 rings: an enemy straight below at row 28 is in ring 25,
// at row 29 in ring 26.
TEST_F(BaseTest, FiresOneSlowShotPerDecisionStepWhileAnEnemyIsWithinItsRings)
{
    Base* base = placeBase(0, 40, 3);
    Soldier* enemy = placeSoldier(1, 40, 29);
    base->setTarget(field(), enemy);  // a stale target is replaced by whatever the search finds

    base->think(field(), random());
    EXPECT_EQ(field().unit(base->target()), nullptr);
    EXPECT_EQ(base->mode, Mode::Advance);
    EXPECT_TRUE(shotsIn(field()).empty());

    field().moveEntity(enemy, 40.0f, 28.0f);
    for (int update = 1; update <= 4; ++update) base->update(field(), random());
    EXPECT_TRUE(shotsIn(field()).empty());
    base->update(field(), random());  // the fifth update is a decision step
    EXPECT_EQ(field().unit(base->target()), enemy);
    EXPECT_EQ(base->mode, Mode::Engage);
    std::vector<Projectile*> shots = shotsIn(field());
    ASSERT_EQ(shots.size(), 1u);

    // From (648, 56) to (648, 456): 400 pixels straight down at 3 a frame.
    const Projectile& shot = *shots[0];
    EXPECT_EQ(shot.position.x, 648.0f);
    EXPECT_EQ(shot.position.y, 56.0f);
    EXPECT_EQ(shot.velocity.x, 0.0f);
    EXPECT_EQ(shot.velocity.y, 3.0f);
    EXPECT_EQ(shot.lifetime, 3 + 400 / 3);
    EXPECT_EQ(shot.size, 5);
    EXPECT_EQ(shot.colour, (Colour{255, 255, 0}));
    EXPECT_EQ(shot.damage, 10.0f);
    EXPECT_EQ(field().unit(shot.shooter), base);

    for (int update = 1; update <= 5; ++update) base->update(field(), random());
    EXPECT_EQ(shotsIn(field()).size(), 2u);

    field().moveEntity(enemy, 40.0f, 29.0f);
    base->think(field(), random());
    EXPECT_EQ(field().unit(base->target()), nullptr);
    EXPECT_EQ(base->mode, Mode::Advance);
    EXPECT_EQ(shotsIn(field()).size(), 2u);
}

// A blue tank shells the red Base (health 50) in the first pass, after the Base has had its
// update; the Base notices its fall only in the next pass.
TEST_F(BaseTest, FallenBaseEndsTheGameAtItsNextUpdateAndFreezesTheWorld)
{
    Base* base = placeBase(0, 5, 5);
    base->health = 50.0f;
    base->actionCountdown = 1000;  // keeps it from shooting at the tank
    Tank* tank = placeTank(1, 5, 8, 4, 10);
    tank->setMode(field(), Mode::Bombard);
    tank->aimPoint = {5.0f, 5.0f};
    tank->aimCountdown = 0;
    tank->actionCountdown = 1;

    updatePass();
    EXPECT_EQ(base->health, 0.0f);
    EXPECT_EQ(field().gameOver, false);
    EXPECT_EQ(field().eliminatedTeam, kNoTeam);
    ASSERT_FALSE(field().objects.empty());
    const Renderer* lastParticle = field().objects.back().get();
    const int particleLifetime = static_cast<const Particle*>(lastParticle)->lifetime;
    const int tankCountdown = tank->actionCountdown;

    updatePass();
    EXPECT_EQ(field().gameOver, true);
    EXPECT_EQ(field().eliminatedTeam, 0);
    // The rest of the pass ran ...
    EXPECT_EQ(tank->actionCountdown, tankCountdown - 1);
    EXPECT_EQ(static_cast<const Particle*>(lastParticle)->lifetime, particleLifetime - 1);
    // ... and the Base was removed at its end.
    EXPECT_EQ(field().occupantAt(5.0f, 5.0f), nullptr);
    EXPECT_EQ(field().units().size(), 1u);

    updatePass();
    EXPECT_EQ(tank->actionCountdown, tankCountdown - 1);
    EXPECT_EQ(static_cast<const Particle*>(lastParticle)->lifetime, particleLifetime - 1);
    EXPECT_EQ(field().eliminatedTeam, 0);
}

class BothBasesFallTest : public WorldTest, public testing::WithParamInterface<int> {};

TEST_P(BothBasesFallTest, EliminatedTeamNamesTheBaseUpdatedLater)
{
    const int firstTeam = GetParam();
    Base* first = placeBase(firstTeam, 5, 5);
    Base* second = placeBase(1 - firstTeam, 70, 60);
    first->health = 0.0f;
    second->health = -3.0f;
    updatePass();
    EXPECT_EQ(field().gameOver, true);
    EXPECT_EQ(field().eliminatedTeam, 1 - firstTeam);
    EXPECT_TRUE(field().units().empty());
}

INSTANTIATE_TEST_SUITE_P(Base, BothBasesFallTest, testing::Values(0, 1));

}  // namespace

// A base with no target that is hit answers the fire like any unit: it travels (it cannot
// move, but its order stands), and its allies that decide next are sent to its destination.
TEST_F(BaseTest, HitWithoutATargetItAnswersAndItsAlliesGoToItsDestination)
{
    Base* base = placeBase(0, 40, 3);
    Soldier* attacker = placeSoldier(1, 40, 40);  // far beyond the base's 25 rings
    Soldier* ally = placeSoldier(0, 10, 10);
    ally->goal = {40.0f, 61.0f};

    base->takeDamage(field(), random(), attacker, 10.0f);
    EXPECT_EQ(base->mode, Mode::Travel);
    EXPECT_EQ(base->travelReason(), TravelReason::AnswerFire);
    EXPECT_EQ(base->travelSteps(), 10);
    EXPECT_EQ(base->destination().x, 40.0f);
    EXPECT_EQ(base->destination().y, 40.0f);

    ally->think(field(), random());
    EXPECT_EQ(ally->mode, Mode::Travel);
    EXPECT_EQ(ally->travelReason(), TravelReason::JoinFight);
    EXPECT_EQ(ally->destination().x, 40.0f);
    EXPECT_EQ(ally->destination().y, 40.0f);

    // The base's next decision step finds nobody within its rings and ends the order.
    base->think(field(), random());
    EXPECT_EQ(base->mode, Mode::Advance);
    EXPECT_EQ(base->travelSteps(), 0);
    EXPECT_EQ(base->x, 40);
    EXPECT_EQ(base->y, 3);
}
