// Battles are values: two threads play battles at once with nothing shared between them. Built
// with the thread sanitizer, a data race between battles fails it; the digests say that each
// battle is still exactly the battle of its seed.

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "game/Battle.h"
#include "game/StateDigest.h"

namespace {

// The battle of the seed after its first 300 frames, made and played in the calling thread.
Battle startedBattle(unsigned seed)
{
    Battle battle(UnitCounts::bothSides(120, 30, 30), seed);
    for (int n = 0; n < 300; ++n) battle.frame();
    return battle;
}

}  // namespace

// The battles of six seeds, started here, are played on in two threads at once (their shots and
// particles made here and freed there) and give the chains of playing them one by one.
TEST(BattleThreads, TwoThreadsPlayTheSameBattlesAsOneByOne)
{
    constexpr int kMaxFrames = 36000;
    std::vector<std::uint64_t> alone;
    std::vector<Battle> battles;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        Battle battle = startedBattle(seed);
        alone.push_back(digestChain(battle, kMaxFrames));
        battles.push_back(startedBattle(seed));
    }
    std::vector<std::uint64_t> together(battles.size());
    auto playEvery = [&](size_t first) {
        for (size_t n = first; n < battles.size(); n += 2) together[n] = digestChain(battles[n], kMaxFrames);
    };
    std::thread other(playEvery, 1);
    playEvery(0);
    other.join();
    EXPECT_EQ(together, alone);
}
