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
    auto makeEffects = [shooter](int shotEvery) {
        std::vector<Renderer*> made;
        for (int n = 0; n < 40; ++n) {
            if (n % shotEvery == 0) {
                made.push_back(new Projectile(shooter, 7.5f, 5, 255, 255, 0, 3, 168.0f, 168.0f, 168.0f, 400.0f));
            } else {
                made.push_back(new Particle(9, 3, 12, 34, 56, 3, 5, 20, kStyleDot, 50.0f, 60.0f));
            }
        }
        return made;
    };
    // Sparks and shots alive at once, then all destroyed, then as many again with shots where
    // sparks were and the other way round.
    const std::vector<Renderer*> first = makeEffects(3);
    const std::set<const void*> blocks(first.begin(), first.end());
    EXPECT_EQ(blocks.size(), first.size()) << "a block was handed out twice";
    const std::size_t sparesWhileAlive = EffectMemory::spareBlocks();
    for (Renderer* effect : first) delete effect;
    EXPECT_EQ(EffectMemory::spareBlocks(), sparesWhileAlive + (EffectMemory::reusesBlocks() ? first.size() : 0));

    const std::vector<Renderer*> next = makeEffects(2);
    EXPECT_EQ(EffectMemory::spareBlocks(), sparesWhileAlive) << "the blocks given back are taken again";
    int reused = 0;
    for (const Renderer* effect : next) {
        reused += blocks.count(effect);
        if (const auto* shot = dynamic_cast<const Projectile*>(effect)) {
            EXPECT_EQ(shot->shooter, shooter);
            EXPECT_EQ(shot->damage, 7.5f);
            EXPECT_EQ(shot->velocity.y, 3.0f);
            EXPECT_FALSE(shot->queued);
        } else {
            const auto* spark = static_cast<const Particle*>(effect);
            EXPECT_EQ(spark->lifetime, 9);
            EXPECT_EQ(spark->colour, (Colour{12, 34, 56}));
            EXPECT_FALSE(spark->queued);
        }
    }
    if (EffectMemory::reusesBlocks()) {
        EXPECT_EQ(reused, 40) << "the blocks given back are the first taken";
    }
    for (Renderer* effect : next) delete effect;
}
