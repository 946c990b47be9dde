// Guards the simulation's observable behaviour while its code changes: a seeded battle played
// headless must end in exactly the recorded state (every unit's class, team, cell, health, mode
// and target's cell, the object count and the game-over flag). The values were taken from the
// plain list-walking implementation (commit 164e1c5) and every change since has kept them.
//
// A change that means to keep every battle leaves them as they are. One that means to change what
// a seed plays moves them, and with them every other record of the battles of a seed, each made
// its own way; the new values are taken only once each of those has been looked at and its
// difference explained by the change, and all of them go into the same commit:
// - `make bench` prints the digests of seed 1's `default` and `full` battles (docs/PERFORMANCE.md);
// - `battle --record docs/battle.gif --seed 11` rewrites the README's clip (the same bytes when
//   nothing changed), to be watched against the old one;
// - BattleOutcomeTest's battle of seed 1 ends in frame 5113 with the blue base fallen, and
//   `battle-lab --battles 200` lines saved before the change show which battles moved;
// - the page's digest chains (page_in_browser) must still equal the desktop build's, whatever the
//   values: they hold the two builds to each other, not to the past.

#include <gtest/gtest.h>

#include <cstdint>

#include "game/Battle.h"
#include "world/Battlefield.h"
#include "game/StateDigest.h"

namespace {

struct GuardCase {
    const char* name;
    UnitCounts counts;
    unsigned seed;
    int passes;
    std::uint64_t digest;
};

UnitCounts crowded()
{
    return UnitCounts::bothSides(900, 300, 300);
}

}  // namespace

TEST(BehaviourGuard, SeededBattlesEndInTheRecordedState)
{
    const GuardCase cases[] = {
        {"default counts", UnitCounts(), 7, 3500, 0x03e71040017cb4d7ull},
        {"crowded start zones", crowded(), 11, 3200, 0xcd63cd39f0ce6b74ull},
    };
    for (const GuardCase& c : cases) {
        Battle battle(c.counts, c.seed);
        for (int n = 0; n < c.passes; ++n) battle.frame();
        EXPECT_EQ(stateDigest(battle.field()), c.digest) << c.name << ": 0x" << std::hex << stateDigest(battle.field());
    }
}
