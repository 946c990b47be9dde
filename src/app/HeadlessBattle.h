#pragma once

#include "app/UnitCounts.h"

class Battlefield;

// A seeded battle with no screen and no timer, started as the program starts one (terrain,
// reinforcement timer, deployment) on a world of its own. Each frame is one update pass and
// the reinforcement countdown; drawing is left to the caller. Used by the benchmark and by
// long headless tests.
class HeadlessBattle {
public:
    HeadlessBattle(const UnitCounts& counts, unsigned seed);  // installs its world and deploys
    ~HeadlessBattle();                                        // restores the previous world

    HeadlessBattle(const HeadlessBattle&) = delete;
    HeadlessBattle& operator=(const HeadlessBattle&) = delete;

    void frame();  // one update pass, then the countdown (and a wave when it runs out)
    Battlefield& field() { return *field_; }

private:
    Battlefield* field_;           // this battle's world, owned
    Battlefield* previousField_;   // the world installed before
    UnitCounts previousCounts_;    // the counts in force before
};
