// A long headless battle with both start zones packed and the waves coming, checking the
// world's rules after every pass. Built with the sanitizers, it is where a read of a
// destroyed unit, a double delete or a leak shows up.
//
//   battle-soak [passes]        (default 20000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/Countdown.h"
#include "game/Battle.h"
#include "world/Battlefield.h"
#include "game/WorldInvariants.h"

namespace {
constexpr size_t kObjectBound = 60000;  // far above any real battle; a leak of effects crosses it
}

int main(int argc, char** argv)
{
    const long wanted = argc > 1 ? std::atol(argv[1]) : 20000;
    const UnitCounts full = UnitCounts::bothSides(2000, 2000, 2000);

    const auto start = std::chrono::steady_clock::now();
    long passes = 0;
    long waves = 0;
    size_t peakObjects = 0;
    int battles = 0;
    // Battles are played one after another until enough passes have run while a battle was
    // still going; a fallen base freezes a battle, so a frozen one is not counted.
    for (unsigned seed = 1; passes < wanted; ++seed) {
        ++battles;
        Battle battle(full, seed);
        Battlefield& field = battle.field();
        while (passes < wanted && !field.gameOver) {
            battle.frame();
            ++passes;
            if (battle.reinforcementTimer() == kReinforcementFrames) ++waves;
            if (field.objects.size() > peakObjects) peakObjects = field.objects.size();
            const std::string problem = findInvariantViolation(field);
            if (!problem.empty()) {
                std::fprintf(stderr, "soak: seed %u, pass %ld: %s\n", seed, passes, problem.c_str());
                return 1;
            }
            if (field.objects.size() > kObjectBound) {
                std::fprintf(stderr, "soak: seed %u, pass %ld: %zu live objects\n", seed, passes,
                             field.objects.size());
                return 1;
            }
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("soak: %ld passes in %d battles, %ld waves, peak objects %zu, %.1f s\n", passes, battles, waves,
                peakObjects, seconds);
    return 0;
}
