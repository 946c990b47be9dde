// Effects take their memory from a list of blocks that earlier effects gave back. A reused
// block must hold exactly the new effect, whatever effect held it before, and the list must
// neither lose blocks nor hand one out twice.

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "effects/EffectMemory.h"
#include "effects/Particle.h"
#include "effects/Projectile.h"
#include "support/TestWorld.h"
#include "units/Soldier.h"

using EffectMemoryTest = WorldTest;

TEST_F(EffectMemoryTest, BlocksGoRoundWithoutLossAndHoldWhateverEffectTakesThemNext)
{
    Soldier* shooter = placeSoldier(0, 10, 10);

    // Sparks and shots alive at once, then all destroyed.
    std::vector<Renderer*> effects;
    for (int n = 0; n < 40; ++n) {
        if (n % 3 == 0) {
            effects.push_back(new Projectile(shooter, 10.0f, 2, 255, 255, 0, 5, 168.0f, 168.0f, 400.0f, 168.0f));
        } else {
            effects.push_back(new Particle(8 + n % 4, 1, 200, 150, 0, 1, 5, 20, kStyleDot, 100.0f, 100.0f));
        }
    }
    std::set<const void*> blocks(effects.begin(), effects.end());
    EXPECT_EQ(blocks.size(), effects.size()) << "a block was handed out twice";
    const std::size_t sparesWhileAlive = EffectMemory::spareBlocks();
    for (Renderer* effect : effects) delete effect;
    const std::size_t given = EffectMemory::reusesBlocks() ? effects.size() : 0;
    EXPECT_EQ(EffectMemory::spareBlocks(), sparesWhileAlive + given);

    // The next effects take those blocks (shots where sparks were and the other way round)
    // and hold exactly what they were built with.
    std::vector<Projectile*> shots;
    std::vector<Particle*> sparks;
    for (int n = 0; n < 40; ++n) {
        if (n % 3 == 1) {
            shots.push_back(new Projectile(shooter, 7.5f, 5, 255, 255, 0, 3, 168.0f, 168.0f, 168.0f, 400.0f));
        } else {
            sparks.push_back(new Particle(9, 3, 12, 34, 56, 3, 5, 20, kStyleDot, 50.0f, 60.0f));
        }
    }
    EXPECT_EQ(EffectMemory::spareBlocks(), sparesWhileAlive) << "the blocks given back are taken again";
    int reused = 0;
    for (const Projectile* shot : shots) {
        reused += blocks.count(shot);
        EXPECT_EQ(shot->shooter, shooter);
        EXPECT_EQ(shot->team, 0);
        EXPECT_EQ(shot->damage, 7.5f);
        EXPECT_EQ(shot->size, 5);
        EXPECT_EQ(shot->velocity.x, 0.0f);
        EXPECT_EQ(shot->velocity.y, 3.0f);
        EXPECT_FALSE(shot->queued);
        EXPECT_FALSE(shot->onGrid);
    }
    for (const Particle* spark : sparks) {
        reused += blocks.count(spark);
        EXPECT_EQ(spark->lifetime, 9);
        EXPECT_EQ(spark->size, 3);
        EXPECT_EQ(spark->colour, (Colour{12, 34, 56}));
        EXPECT_EQ(spark->position.x, 50.0f);
        EXPECT_EQ(spark->position.y, 60.0f);
        EXPECT_FALSE(spark->queued);
    }
    if (EffectMemory::reusesBlocks()) {
        EXPECT_EQ(reused, 40) << "the blocks given back are the first taken";
    }
    for (Projectile* shot : shots) delete shot;
    for (Particle* spark : sparks) delete spark;
}

TEST(EffectMemory, BlocksTooLargeForTheListGoToTheGeneralAllocator)
{
    const std::size_t spares = EffectMemory::spareBlocks();
    void* large = EffectMemory::take(EffectMemory::kBlockSize + 1);
    ASSERT_NE(large, nullptr);
    EffectMemory::give(large, EffectMemory::kBlockSize + 1);
    EXPECT_EQ(EffectMemory::spareBlocks(), spares) << "a large block must not join the list";
    EffectMemory::give(nullptr, 16);
    EXPECT_EQ(EffectMemory::spareBlocks(), spares);
}
