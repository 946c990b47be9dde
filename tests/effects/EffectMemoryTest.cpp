// Effects take their memory from a list of blocks that earlier effects gave back. A reused
// block must hold exactly the new effect, whatever effect held it before, and the list must
// neither lose blocks nor hand one out twice.

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "effects/EffectMemory.h"
#include "effects/Particle.h"
#include "effects/Projectile.h"
#include "game/Battle.h"
#include "support/TestWorld.h"
#include "units/Soldier.h"

using EffectMemoryTest = WorldTest;

TEST_F(EffectMemoryTest, BlocksGoRoundWithoutLossAndHoldWhateverEffectTakesThemNext)
{
    Soldier* shooter = placeSoldier(0, 10, 10);
    auto makeEffects = [this, shooter](int shotEvery) {
        std::vector<std::unique_ptr<Renderer>> made;
        for (int n = 0; n < 40; ++n) {
            if (n % shotEvery == 0) {
                made.push_back(std::make_unique<Projectile>(random(), shooter, 7.5f, 5, 255, 255, 0, 3, 168.0f, 168.0f,
                                                            168.0f, 400.0f));
            } else {
                made.push_back(
                    std::make_unique<Particle>(random(), 9, 3, 12, 34, 56, 3, 5, 20, ParticleStyle::Dot, 50.0f, 60.0f));
            }
        }
        return made;
    };
    // Sparks and shots alive at once, then all destroyed, then as many again with shots where
    // sparks were and the other way round.
    std::vector<std::unique_ptr<Renderer>> first = makeEffects(3);
    std::set<const void*> blocks;
    for (const auto& effect : first) blocks.insert(effect.get());
    EXPECT_EQ(blocks.size(), first.size()) << "a block was handed out twice";
    const std::size_t sparesWhileAlive = EffectMemory::spareBlocks();
    const std::size_t made = first.size();
    first.clear();
    EXPECT_EQ(EffectMemory::spareBlocks(), sparesWhileAlive + (EffectMemory::reusesBlocks() ? made : 0));

    const std::vector<std::unique_ptr<Renderer>> next = makeEffects(2);
    EXPECT_EQ(EffectMemory::spareBlocks(), sparesWhileAlive) << "the blocks given back are taken again";
    int reused = 0;
    for (const auto& owned : next) {
        const Renderer* effect = owned.get();
        reused += blocks.count(effect);
        if (const auto* shot = dynamic_cast<const Projectile*>(effect)) {
            EXPECT_EQ(field().unit(shot->shooter), shooter);
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
}

// A thread's spare blocks go back to the general allocator when the thread ends: a battle played
// in a thread, as a lab's job plays it, leaves no block held behind it. So does an effect that
// outlives the thread's list (a thread-local made before it, destroyed after it).
TEST(EffectMemoryThreadTest, AThreadsBlocksGoBackWhenItEnds)
{
    const std::size_t heldBefore = EffectMemory::heldBlocks();
    std::size_t spareInThread = 0;
    std::size_t heldInThread = 0;
    std::thread([&] {
        thread_local std::unique_ptr<Renderer> outlivesTheList;
        Random random(5);
        outlivesTheList =
            std::make_unique<Particle>(random, 9, 3, 12, 34, 56, 3, 5, 20, ParticleStyle::Dot, 50.0f, 60.0f);
        {
            Battle battle(UnitCounts(), 3);
            for (int frame = 0; frame < 600; ++frame) battle.frame();
        }
        spareInThread = EffectMemory::spareBlocks();
        heldInThread = EffectMemory::heldBlocks();
    }).join();
    if (EffectMemory::reusesBlocks()) {
        EXPECT_GT(spareInThread, 100u) << "the battle's shots and sparks left their blocks on the thread's list";
        EXPECT_EQ(heldInThread, heldBefore + spareInThread + 1) << "the spare blocks and the particle still alive";
    }
    EXPECT_EQ(EffectMemory::heldBlocks(), heldBefore);
}
