// The battle's generator must give the C library's own sequence on this machine (the GNU C
// library), so that every seed keeps meaning the battle it always meant, wherever it is played.

#include <gtest/gtest.h>

#include <cstdlib>

#include "world/Random.h"

TEST(Random, GivesTheCLibrarySequenceForEverySeed)
{
    constexpr int kDraws = 1000000;
    for (const unsigned seed : {0u, 1u, 42u, 11u, 2147483647u, 2147483648u, 4294967295u}) {
        srand(seed);
        Random random(seed);
        int firstDifference = -1;
        for (int n = 0; n < kDraws && firstDifference < 0; ++n) {
            if (random.next() != rand()) firstDifference = n;
        }
        EXPECT_EQ(firstDifference, -1) << "seed " << seed;
    }
}
