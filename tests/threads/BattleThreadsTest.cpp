// Battles are values: two threads play battles at once, and copies of battles, with nothing
// shared between them. Built with the thread sanitizer, a data race between battles fails it;
// the digests say that each battle is still exactly the battle of its seed.

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "game/Battle.h"
#include "game/StateDigest.h"

namespace {

constexpr int kMaxFrames = 36000;
const UnitCounts kArmies = UnitCounts::bothSides(120, 30, 30);

std::uint64_t chainOf(unsigned seed)
{
    Battle battle(kArmies, seed);
    return digestChain(battle, kMaxFrames);
}

}  // namespace

TEST(BattleThreads, TwoThreadsPlayTheSameBattlesAsOneByOne)
{
    const std::vector<unsigned> seeds = {1, 2, 3, 4, 5, 6};
    std::vector<std::uint64_t> alone;
    for (const unsigned seed : seeds) alone.push_back(chainOf(seed));

    std::vector<std::uint64_t> together(seeds.size());
    auto playEvery = [&](size_t first) {
        for (size_t n = first; n < seeds.size(); n += 2) together[n] = chainOf(seeds[n]);
    };
    std::thread other(playEvery, 1);
    playEvery(0);
    other.join();
    EXPECT_EQ(together, alone);
}

TEST(BattleThreads, ACopyPlaysOnInAnotherThreadWhileTheOriginalGoesOn)
{
    Battle original(kArmies, 8);
    for (int n = 0; n < 600; ++n) original.frame();
    Battle copy(original);
    std::uint64_t copied = 0;
    // The copy's effects were made in this thread and end in the other one.
    std::thread other([&copy, &copied] { copied = digestChain(copy, kMaxFrames); });
    const std::uint64_t own = digestChain(original, kMaxFrames);
    other.join();
    EXPECT_EQ(copied, own);
    EXPECT_TRUE(original.over());
}
