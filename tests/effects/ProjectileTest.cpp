#include <cmath>
#include <vector>

#include "effects/Projectile.h"
#include "support/TestWorld.h"
#include "units/Entity.h"
#include "world/Grid.h"

namespace {

// A unit that, when it has an aim cell, fires a soldier's shot at it on each decision step.
class Gunner : public Entity {
public:
    Gunner(int team, int x, int y, int period) : Entity(team, x, y)
    {
        health = 100.0f;
        damage = 10.0f;
        actionPeriod = period;
        actionCountdown = period;
    }
    void draw(Surface&) const override {}
    void think(Battlefield& field, Random& random) override
    {
        if (aim.isSet()) fire(field, random);
    }
    void fire(Battlefield& field, Random& random) override
    {
        field.addObject(std::make_unique<Projectile>(random, this, damage, 2, 255, 255, 0, 5, cellCentre(x),
                                                     cellCentre(y), cellCentre(static_cast<int>(aim.x)),
                                                     cellCentre(static_cast<int>(aim.y))));
    }
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<Gunner>(*this); }

    Vec2 aim;
};

// Sits in the object list and, when updated, counts how often a given object is queued.
class GraveyardWatch : public Renderer {
public:
    explicit GraveyardWatch(const Renderer* watched) : watched(watched) {}
    void draw(Surface&) const override {}
    void update(Battlefield& field, Random&) override
    {
        seen = 0;
        for (const std::size_t place : field.graveyard) {
            if (field.objects[place].get() == watched) ++seen;
        }
    }
    ObjectKind getType() const override { return ObjectKind::Effect; }
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<GraveyardWatch>(*this); }

    const Renderer* watched;
    int seen = -1;
};

class ProjectileTest : public WorldTest {
protected:
    Gunner* place(int team, int x, int y, int period = 1000)
    {
        auto* unit = static_cast<Gunner*>(field().registerUnit(std::make_unique<Gunner>(team, x, y, period)));
        EXPECT_NE(unit, nullptr);
        return unit;
    }

    // A soldier's shot added to the world, about to move to pixel (nextX, nextY).
    Projectile* shotArrivingAt(Entity* shooter, float nextX, float nextY)
    {
        auto* shot = addObject(
            std::make_unique<Projectile>(random(), shooter, 10.0f, 2, 255, 255, 0, 5, 0.0f, 0.0f, 0.0f, 0.0f));
        shot->velocity = {1.0f, 1.0f};
        shot->position = {nextX - 1.0f, nextY - 1.0f};
        return shot;
    }

    std::vector<Projectile*> shotsInFlight() { return objectsOf<Projectile>(field()); }
};

TEST_F(ProjectileTest, ConstructionAimsAndTimesTheShot)
{
    const struct {
        int speed;
        float fromX, fromY, toX, toY;
        float vx, vy;
        int lifetime;
    } cases[] = {
        {5, 168.0f, 168.0f, 216.0f, 232.0f, 3.0f, 4.0f, 21},         // distance 80: 5 + 16
        {3, 168.0f, 168.0f, 216.0f, 232.0f, 1.80000007f, 2.4f, 29},  // a base's shot: 3 + 26; 3 x 0.6f is not 1.8f
        {5, 216.0f, 232.0f, 168.0f, 168.0f, -3.0f, -4.0f, 21},       // the way back
        {5, 100.0f, 100.0f, 100.0f, 100.0f, 0.0f, 0.0f, 5},          // nowhere to go: stands still
        {3, 40.0f, 24.0f, 40.0f, 24.0f, 0.0f, 0.0f, 3},
    };
    const Gunner* shooter = place(1, 10, 10, 10);
    for (const auto& c : cases) {
        Projectile shot(random(), shooter, 7.5f, 2, 255, 255, 0, c.speed, c.fromX, c.fromY, c.toX, c.toY);
        EXPECT_FALSE(std::isnan(shot.velocity.x) || std::isnan(shot.velocity.y));
        EXPECT_EQ(shot.velocity.x, c.vx) << "speed " << c.speed << " to (" << c.toX << ", " << c.toY << ")";
        EXPECT_EQ(shot.velocity.y, c.vy);
        EXPECT_EQ(shot.lifetime, c.lifetime);
        EXPECT_EQ(shot.position.x, c.fromX);
        EXPECT_EQ(shot.position.y, c.fromY);
        EXPECT_EQ(shot.team, 1);
        EXPECT_EQ(field().unit(shot.shooter), shooter);
        EXPECT_EQ(shot.damage, 7.5f);
        EXPECT_EQ(shot.style, ParticleStyle::Streak);
        EXPECT_EQ(shot.fade, 0);
        EXPECT_EQ(shot.getType(), ObjectKind::Effect);
    }
}

struct CellCase {
    float nextX, nextY;  // pixel the shot moves to
    int enemyX, enemyY;  // cell of the enemy
    bool hit;
};

class ProjectileCellTest : public ProjectileTest, public ::testing::WithParamInterface<CellCase> {};

TEST_P(ProjectileCellTest, TestsTheCellUnderItsTruncatedPixel)
{
    const CellCase& c = GetParam();
    Gunner* shooter = place(0, 40, 40);
    Gunner* enemy = place(1, c.enemyX, c.enemyY);
    shotArrivingAt(shooter, c.nextX, c.nextY);
    updatePass();
    EXPECT_EQ(enemy->health, c.hit ? 90.0f : 100.0f);
    EXPECT_EQ(shotsInFlight().size(), c.hit ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(GridEdges, ProjectileCellTest,
                         ::testing::Values(CellCase{-5.0f, 20.0f, 0, 1, true},  // -5 / 16 is 0, not -1
                                           CellCase{-15.5f, 20.0f, 0, 1, true},
                                           CellCase{-16.0f, 20.0f, 0, 1, false},  // column -1
                                           CellCase{20.0f, -5.0f, 1, 0, true}, CellCase{1279.5f, 20.0f, 79, 1, true},
                                           CellCase{1280.0f, 20.0f, 79, 1, false},    // column 80
                                           CellCase{20.0f, 1024.0f, 1, 63, false}));  // row 64

TEST_F(ProjectileTest, FliesThroughFriendsAndHitsTheFirstEnemy)
{
    // Along row 10 from the centre of (10, 10): a friend on (11, 10), enemies on (12, 10) and (13, 10).
    Gunner* shooter = place(0, 10, 10);
    Gunner* friendly = place(0, 11, 10);
    Gunner* first = place(1, 12, 10);
    Gunner* second = place(1, 13, 10);
    field().setHeight(12, 10, 15);
    field().addObject(
        std::make_unique<Projectile>(random(), shooter, 10.0f, 2, 255, 255, 0, 5, 168.0f, 168.0f, 232.0f, 168.0f));

    // x runs 173, 178, 183, 188: the shooter's cell, then three moves over the friend.
    for (int pass = 1; pass <= 4; ++pass) {
        updatePass();
        ASSERT_EQ(shotsInFlight().size(), 1u) << "pass " << pass;
    }
    updatePass();  // x 193: cell 12
    EXPECT_TRUE(shotsInFlight().empty());
    EXPECT_EQ(shooter->health, 100.0f);
    EXPECT_EQ(friendly->health, 100.0f);
    EXPECT_EQ(first->health, 95.0f);  // half damage on height 15
    EXPECT_EQ(second->health, 100.0f);
    // The victim had no target, so it turns towards the shooter's cell.
    EXPECT_EQ(first->mode, Mode::Travel);
    EXPECT_EQ(first->destination().x, 10.0f);
    EXPECT_EQ(first->destination().y, 10.0f);
}

TEST_F(ProjectileTest, HitOnTheLastFrameIsCountedOnce)
{
    Gunner* shooter = place(0, 40, 40);
    Gunner* enemy = place(1, 3, 3);
    Projectile* shot = shotArrivingAt(shooter, 56.0f, 56.0f);
    shot->lifetime = 1;
    auto* watch = addObject(std::make_unique<GraveyardWatch>(shot));

    updatePass();
    EXPECT_EQ(watch->seen, 1);
    EXPECT_TRUE(shotsInFlight().empty());
    EXPECT_EQ(enemy->health, 90.0f);
}

TEST_F(ProjectileTest, MovesInThePassInWhichItIsFired)
{
    Gunner* shooter = place(0, 10, 10, 1);
    shooter->aim = {13.0f, 14.0f};  // centre (216, 232): velocity (3, 4)
    updatePass();
    const std::vector<Projectile*> shots = shotsInFlight();
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0]->position.x, 171.0f);
    EXPECT_EQ(shots[0]->position.y, 172.0f);
    EXPECT_EQ(shots[0]->lifetime, 20);
}

TEST_F(ProjectileTest, ShotOfAFallenShooterStillHitsAndNobodyAnswers)
{
    Gunner* shooter = place(0, 10, 10, 1);
    Gunner* victim = place(1, 14, 10);
    field().setHeight(14, 10, 12);
    shooter->aim = {14.0f, 10.0f};

    updatePass();  // fires; the shot moves to x 173
    std::vector<Projectile*> shots = shotsInFlight();
    ASSERT_EQ(shots.size(), 1u);
    Projectile* shot = shots[0];

    shooter->health = 0.0f;
    updatePass();  // the shooter queues itself and is swept away; the shot is at x 178
    ASSERT_EQ(shotsInFlight().size(), 1u);
    EXPECT_EQ(field().occupantAt(10.0f, 10.0f), nullptr);
    EXPECT_EQ(field().units().size(), 1u);
    EXPECT_EQ(field().unit(shot->shooter), nullptr);

    // x reaches 228, inside cell 14, on the twelfth move.
    int pass = 2;
    while (!shotsInFlight().empty() && pass < 30) {
        updatePass();
        ++pass;
    }
    EXPECT_EQ(pass, 12);
    EXPECT_EQ(victim->health, 94.0f);  // 10 damage on height 12
    EXPECT_EQ(victim->mode, Mode::Advance);
    EXPECT_FALSE(victim->destination().isSet());
    EXPECT_EQ(victim->travelReason(), TravelReason::None);
    EXPECT_EQ(victim->travelSteps(), 0);
}

}  // namespace

// A shot that meets nobody flies on past its aim point and expires after its lifetime: more
// than speed² − speed and at most speed² pixels beyond the point, for a soldier's shot and a
// base's alike.
TEST_F(ProjectileTest, AMissFliesPastTheAimPointAndExpires)
{
    const struct {
        int speed;
        int lifetime;
    } cases[] = {{5, 21}, {3, 29}};
    Gunner* shooter = place(1, 10, 10);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "speed " << c.speed);
        // 80 pixels from the shooter's cell centre to the aim point, on empty ground.
        auto* shot = addObject(std::make_unique<Projectile>(random(), shooter, 10.0f, 2, 255, 255, 0, c.speed, 168.0f,
                                                            168.0f, 216.0f, 232.0f));
        ASSERT_EQ(shot->lifetime, c.lifetime);
        for (int pass = 1; pass < c.lifetime; ++pass) updatePass();
        ASSERT_EQ(shotsInFlight().size(), 1u) << "gone before its last move";
        const float dx = shot->position.x + shot->velocity.x - 216.0f;
        const float dy = shot->position.y + shot->velocity.y - 232.0f;
        const float beyond = std::sqrt(dx * dx + dy * dy);
        EXPECT_GT(beyond, static_cast<float>(c.speed * c.speed - c.speed));
        EXPECT_LE(beyond, static_cast<float>(c.speed * c.speed) + 0.001f);
        if (c.speed == 5) {  // whole-pixel moves of (3, 4): the last position is exact
            EXPECT_EQ(shot->position.x + shot->velocity.x, 231.0f);
            EXPECT_EQ(shot->position.y + shot->velocity.y, 252.0f);
        }
        updatePass();
        EXPECT_TRUE(shotsInFlight().empty()) << "still flying after its lifetime";
    }
    EXPECT_EQ(shooter->health, 100.0f);
}
