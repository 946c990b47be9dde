#include <cmath>

#include "effects/Particle.h"
#include "support/TestWorld.h"
#include "world/Random.h"

// Readable colours in failure messages.
static void PrintTo(const Colour& c, std::ostream* os)
{
    *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

namespace {

class ParticleTest : public WorldTest {
protected:
    int particleCount()
    {
        int n = 0;
        for (const auto& object : field().objects) {
            if (dynamic_cast<Particle*>(object.get()) != nullptr) ++n;
        }
        return n;
    }
};

// It draws nothing (ParticleDrawingTest), but lives its life.
TEST_F(ParticleTest, HiddenStyleLivesItsLife)
{
    auto* ghost = addObject(
        std::make_unique<Particle>(random(), 2, 4, 100, 100, 100, 1, 5, 30, ParticleStyle::Hidden, 100.0f, 50.0f));
    ghost->velocity = {2.0f, -3.0f};

    updatePass();
    ASSERT_EQ(particleCount(), 1);
    EXPECT_FLOAT_EQ(ghost->position.x, 102.0f);
    EXPECT_FLOAT_EQ(ghost->position.y, 47.0f);
    EXPECT_EQ(ghost->colour, (Colour{70, 70, 70}));
    EXPECT_EQ(ghost->lifetime, 1);

    updatePass();
    EXPECT_EQ(particleCount(), 0);
}

TEST_F(ParticleTest, VelocityComesFromFourDrawsInOrder)
{
    struct Case {
        int minSpeed, speedSpread;
    };
    const Case cases[] = {{1, 5}, {3, 5}, {2, 2}, {4, 1}};
    bool sawPlus = false;
    bool sawMinus = false;
    for (const Case& c : cases) {
        for (unsigned seed = 1; seed <= 8; ++seed) {
            random().reseed(seed);
            Particle p(random(), 10, 1, 0, 0, 0, c.minSpeed, c.speedSpread, 0, ParticleStyle::Dot, 0.0f, 0.0f);
            const int drawAfter = random().next();

            random().reseed(seed);
            const int signX = random().next() % 2 == 0 ? 1 : -1;
            const int signY = random().next() % 2 == 0 ? 1 : -1;
            const int speedX = c.minSpeed + random().next() % c.speedSpread;
            const int speedY = c.minSpeed + random().next() % c.speedSpread;
            EXPECT_EQ(random().next(), drawAfter) << "construction must take exactly four draws";

            EXPECT_EQ(p.velocity.x, static_cast<float>(signX * speedX)) << "seed " << seed;
            EXPECT_EQ(p.velocity.y, static_cast<float>(signY * speedY)) << "seed " << seed;
            if (c.speedSpread == 1) {
                EXPECT_EQ(std::fabs(p.velocity.x), static_cast<float>(c.minSpeed));
                EXPECT_EQ(std::fabs(p.velocity.y), static_cast<float>(c.minSpeed));
            }
            sawPlus = sawPlus || signX > 0;
            sawMinus = sawMinus || signX < 0;
        }
    }
    EXPECT_TRUE(sawPlus && sawMinus) << "the seeds should exercise both signs";
}

TEST_F(ParticleTest, FadeDarkensAndClampsEveryChannel)
{
    struct Case {
        Colour start;
        int fade;
        int updates;
        Colour expected;
    };
    const Case cases[] = {
        {{15, 200, 255}, 20, 1, {0, 180, 235}},  // 15 - 20 stops at 0
        {{15, 30, 255}, 20, 3, {0, 0, 195}},
        {{10, 20, 30}, 0, 9, {10, 20, 30}},       // no fade: the colour holds for the whole life
        {{250, 0, 100}, -20, 1, {255, 20, 120}},  // a negative fade brightens, up to 255
        {{300, 255, 0}, 0, 1, {255, 255, 0}},     // no fade still brings each channel into 0..255
        {{255, -4, 256}, 0, 2, {255, 0, 255}},
        {{0, 255, 0}, 0, 5, {0, 255, 0}},         // the edges of the range hold
    };
    for (const Case& c : cases) {
        Particle p(random(), 10, 1, c.start.r, c.start.g, c.start.b, 1, 5, c.fade, ParticleStyle::Dot, 50.0f, 50.0f);
        for (int n = 0; n < c.updates; ++n) p.update(field(), random());
        EXPECT_EQ(p.colour, c.expected) << "fade " << c.fade << " after " << c.updates << " updates";
    }
    EXPECT_TRUE(field().graveyard.empty());
}

TEST_F(ParticleTest, ShortLifetimesEndInTheFirstPass)
{
    for (int lifetime : {1, 0, -3}) {
        field().addObject(std::make_unique<Particle>(random(), lifetime, 1, 255, 255, 255, 1, 5, 20, ParticleStyle::Dot,
                                                     40.0f, 40.0f));
        updatePass();
        EXPECT_EQ(particleCount(), 0) << "lifetime " << lifetime;
    }

    auto* twoFrames = addObject(
        std::make_unique<Particle>(random(), 2, 1, 255, 255, 255, 1, 5, 20, ParticleStyle::Dot, 40.0f, 40.0f));
    EXPECT_EQ(twoFrames->getType(), ObjectKind::Effect);
    updatePass();
    EXPECT_EQ(particleCount(), 1);
    updatePass();
    EXPECT_EQ(particleCount(), 0);
}

}  // namespace
