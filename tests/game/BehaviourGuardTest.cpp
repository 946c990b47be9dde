// Guards the simulation's observable behaviour while its data structures are tuned for speed:
// a seeded battle played headless must end in exactly the state that the plain list-walking
// implementation reached (every unit's class, team, cell, health, mode and target's cell, the
// object count and the game-over flag). If a deliberate change of behaviour moves the digest,
// the new value must be taken from a run of that plain implementation with the same change.

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
