#include <vector>

#include "effects/Particle.h"
#include "support/TestWorld.h"
#include "units/Entity.h"
#include "world/Grid.h"
#include "world/Random.h"

// Readable colours in failure messages.
static void PrintTo(const Colour& c, std::ostream* os)
{
    *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

namespace {

// A unit that only counts its decision steps; the counter lives outside so it can be read
// after the unit has been destroyed.
class Probe : public Entity {
public:
    Probe(int team, int x, int y, int period, int* thinks = nullptr) : Entity(team, x, y), thinks(thinks)
    {
        health = 100.0f;
        actionPeriod = period;
        actionCountdown = period;
    }
    void draw(Surface&) const override {}
    void think(Battlefield&, Random&) override
    {
        if (thinks != nullptr) ++*thinks;
    }
    void fire(Battlefield&, Random&) override {}
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<Probe>(*this); }

    int* thinks;
};

class EntityTest : public WorldTest {
protected:
    Probe* place(int team, int x, int y, int period = 1000, int* thinks = nullptr)
    {
        auto* unit = static_cast<Probe*>(field().registerUnit(std::make_unique<Probe>(team, x, y, period, thinks)));
        EXPECT_NE(unit, nullptr);
        return unit;
    }

    // The particles appended to the object list after its first `skip` elements.
    std::vector<Particle*> particlesAfter(size_t skip)
    {
        std::vector<Particle*> found;
        size_t index = 0;
        for (const auto& object : field().objects) {
            if (index++ < skip) continue;
            if (auto* p = dynamic_cast<Particle*>(object.get())) found.push_back(p);
        }
        return found;
    }
};

TEST_F(EntityTest, TeamColoursAndClampedSums)
{
    const struct {
        int team;
        Colour expected;
    } teams[] = {{0, {255, 0, 0}},   {1, {0, 0, 255}},     {2, {0, 255, 0}},
                 {3, {255, 255, 0}}, {7, {255, 255, 255}}, {-1, {255, 255, 255}}};
    for (const auto& t : teams) EXPECT_EQ(teamColour(t.team), t.expected) << "team " << t.team;

    const struct {
        Colour a, b, sum;
    } sums[] = {
        {{200, 10, 100}, {100, -20, 0}, {255, 0, 100}},
        {{255, 0, 0}, {-128, -128, -128}, {127, 0, 0}},
        {{250, 250, 250}, {5, 6, -300}, {255, 255, 0}},
        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    };
    for (const auto& s : sums) EXPECT_EQ(addClamped(s.a, s.b), s.sum);
}

TEST_F(EntityTest, ModeColoursDimWhileMovingBrightWhileFighting)
{
    const struct {
        int team;
        int mode;
        Colour expected;
    } cases[] = {
        {0, 0, {127, 0, 0}},     {0, 1, {255, 64, 64}},   {0, 2, {127, 0, 0}},      {0, 3, {255, 64, 64}},
        {0, 4, {255, 255, 255}}, {1, 0, {0, 0, 127}},     {1, 1, {64, 64, 255}},    {1, 2, {0, 0, 127}},
        {1, 3, {64, 64, 255}},   {1, 4, {255, 255, 255}}, {1, -1, {255, 255, 255}},
    };
    for (const auto& c : cases) {
        Probe unit(c.team, 5, 5, 10);
        unit.setMode(field(), static_cast<Mode>(c.mode));
        EXPECT_EQ(static_cast<int>(unit.mode), c.mode);
        EXPECT_EQ(unit.colour, c.expected) << "team " << c.team << " mode " << c.mode;
    }
}

TEST_F(EntityTest, OnlyTravelModeKeepsTheTravelOrder)
{
    for (int mode : {0, 1, 2, 3, 4}) {
        Probe unit(0, 5, 5, 10);
        unit.giveTravelOrder(field(), {12.0f, 7.0f}, TravelReason::JoinFight, 5);
        unit.setMode(field(), static_cast<Mode>(mode));
        if (static_cast<Mode>(mode) == Mode::Travel) {
            EXPECT_FLOAT_EQ(unit.destination().x, 12.0f);
            EXPECT_FLOAT_EQ(unit.destination().y, 7.0f);
            EXPECT_EQ(unit.travelReason(), TravelReason::JoinFight);
            EXPECT_EQ(unit.travelSteps(), 5);
        } else {
            EXPECT_FALSE(unit.destination().isSet()) << "mode " << mode;
            EXPECT_EQ(unit.travelReason(), TravelReason::None) << "mode " << mode;
            EXPECT_EQ(unit.travelSteps(), 0) << "mode " << mode;
        }
    }
}

TEST_F(EntityTest, ThinksOnEveryPeriodthUpdate)
{
    int thinks = 0;
    place(0, 5, 5, 10, &thinks);
    std::vector<int> thinkingUpdates;
    for (int update = 1; update <= 30; ++update) {
        const int before = thinks;
        updatePass();
        if (thinks != before) thinkingUpdates.push_back(update);
    }
    EXPECT_EQ(thinkingUpdates, (std::vector<int>{10, 20, 30}));
}

TEST_F(EntityTest, DeadUnitNeverThinksAndLeavesAtItsNextUpdate)
{
    for (float health : {0.0f, -4.0f}) {
        int thinks = 0;
        Probe* unit = place(0, 5, 5, 1, &thinks);
        unit->health = health;
        updatePass();
        EXPECT_EQ(thinks, 0) << "health " << health;
        EXPECT_EQ(field().occupantAt(5.0f, 5.0f), nullptr);
        EXPECT_TRUE(field().units().empty());
        EXPECT_TRUE(field().objects.empty());
    }
}

TEST_F(EntityTest, HighGroundReducesDamage)
{
    const struct {
        int height;
        float lost;
    } cases[] = {{0, 10.0f}, {12, 6.0f}, {15, 5.0f}};
    Probe* attacker = place(1, 30, 30);
    int column = 2;
    for (const auto& c : cases) {
        field().setHeight(column, 4, c.height);
        Probe* victim = place(0, column, 4);
        victim->takeDamage(field(), random(), attacker, 10.0f);
        EXPECT_FLOAT_EQ(victim->health, 100.0f - c.lost) << "height " << c.height;
        column += 2;
    }
}

TEST_F(EntityTest, SparksForTheLivingDebrisForTheDead)
{
    const struct {
        float health;  // before a 10-point hit on flat ground
        bool dead;
    } cases[] = {{10.5f, false}, {10.0f, true}, {-3.0f, true}};  // exactly 0 left counts as dead
    Probe* attacker = place(1, 30, 30);
    Probe* victim = place(0, 5, 7);
    for (const auto& c : cases) {
        victim->health = c.health;
        const size_t before = field().objects.size();
        const unsigned seed = 77;
        random().reseed(seed);
        victim->takeDamage(field(), random(), attacker, 10.0f);
        const std::vector<Particle*> thrown = particlesAfter(before);
        ASSERT_EQ(thrown.size(), c.dead ? 10u : 3u) << "health " << c.health;
        EXPECT_EQ(field().objects.size(), before + thrown.size());

        random().reseed(seed);
        for (const Particle* p : thrown) {
            int r, g, lifetime, size;
            if (c.dead) {
                r = random().next() % 128 + 128;
                g = 0;
                lifetime = random().next() % 4 + 8;
                size = 2;
            } else {
                g = random().next() % 128 + 128;
                r = random().next() % 50 + 200;
                lifetime = random().next() % 4 + 8;
                size = 1;
            }
            const int signX = random().next() % 2 == 0 ? 1 : -1;
            const int signY = random().next() % 2 == 0 ? 1 : -1;
            const int speedX = 1 + random().next() % 5;
            const int speedY = 1 + random().next() % 5;

            EXPECT_EQ(p->colour, (Colour{r, g, 0}));
            EXPECT_EQ(p->lifetime, lifetime);
            EXPECT_EQ(p->size, size);
            EXPECT_EQ(p->fade, 20);
            EXPECT_EQ(p->style, ParticleStyle::Dot);
            EXPECT_FLOAT_EQ(p->position.x, 88.0f);  // centre of cell (5, 7)
            EXPECT_FLOAT_EQ(p->position.y, 120.0f);
            EXPECT_EQ(p->velocity.x, static_cast<float>(signX * speedX));
            EXPECT_EQ(p->velocity.y, static_cast<float>(signY * speedY));
        }
    }
}

TEST_F(EntityTest, VictimWithTargetKeepsItsOrders)
{
    Probe* attacker = place(1, 30, 30);
    Probe* victim = place(0, 5, 7);
    victim->setTarget(field(), attacker);
    victim->giveTravelOrder(field(), {9.0f, 11.0f}, TravelReason::JoinFight, 4);

    victim->takeDamage(field(), random(), attacker, 10.0f);
    EXPECT_FLOAT_EQ(victim->health, 90.0f);
    EXPECT_EQ(victim->mode, Mode::Travel);
    EXPECT_FLOAT_EQ(victim->destination().x, 9.0f);
    EXPECT_FLOAT_EQ(victim->destination().y, 11.0f);
    EXPECT_EQ(victim->travelReason(), TravelReason::JoinFight);
    EXPECT_EQ(victim->travelSteps(), 4);
    EXPECT_EQ(field().unit(victim->target()), attacker);
}

TEST_F(EntityTest, VictimWithoutTargetTurnsOnTheAttackerEvenWhenKilled)
{
    Probe* attacker = place(1, 30, 31);
    for (float health : {100.0f, 10.0f, 4.0f}) {
        Probe* victim = place(0, 5, 7);
        victim->health = health;
        victim->setMode(field(), Mode::Engage);
        victim->takeDamage(field(), random(), attacker, 10.0f);
        EXPECT_EQ(victim->mode, Mode::Travel) << "health " << health;
        EXPECT_EQ(victim->colour, (Colour{127, 0, 0}));
        EXPECT_EQ(victim->travelReason(), TravelReason::AnswerFire);
        EXPECT_EQ(victim->travelSteps(), 10);
        EXPECT_FLOAT_EQ(victim->destination().x, 30.0f);
        EXPECT_FLOAT_EQ(victim->destination().y, 31.0f);
        // Clear the way for the next victim on the same cell.
        victim->health = 0.0f;
        updatePass();
        ASSERT_EQ(field().occupantAt(5.0f, 7.0f), nullptr);
    }
}

}  // namespace
