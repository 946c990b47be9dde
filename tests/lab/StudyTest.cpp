#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "lab/Study.h"

// Every battle of every shard is found again at its place in the whole study, in its shard;
// the battles of a composition in some shards, counted one by one, are what battlesIn works
// out; and a battle off the grid is nowhere.
TEST(StudyTest, EveryBattleOfAShardIsFoundAtItsPlaceInTheStudy)
{
    std::mt19937 random(11);
    const std::vector<Vary> grid = {Vary{1, 0, 20, 10}, Vary{5, 3, 5, 1}};  // blue tanks, red snipers
    std::string error;
    for (int round = 0; round < 40; ++round) {
        const int seeds = 1 + static_cast<int>(random() % 7), n = 1 + static_cast<int>(random() % 12);
        std::vector<int> present;  // the shards given
        for (int k = 1; k <= n; ++k) {
            if (random() % 3 != 0) present.push_back(k);
        }
        std::vector<long long> counted(9, 0);  // per composition, in the shards given
        for (int k = 1; k <= n; ++k) {
            const Study shard(UnitCounts(), grid, 100, seeds, Shard{k, n}, error);
            for (int b = 0; b < shard.battles(); ++b) {
                const long long i = shard.indexOf(shard.counts(b), shard.seed(b));
                ASSERT_TRUE(i != Study::kNowhere && shard.inShard(i)) << round << ", shard " << k;
                EXPECT_EQ(shard.compositionOf(i), shard.compositionIndex(shard.counts(b)));
                counted[shard.compositionOf(i)] += std::count(present.begin(), present.end(), k);
            }
        }
        const Study whole(UnitCounts(), grid, 100, seeds, Shard{1, n}, error);
        for (int c = 0; c < whole.compositions(); ++c) EXPECT_EQ(whole.battlesIn(c, present), counted[c]) << c;
    }
    UnitCounts off;
    off.blueTanks = 5;  // between two values of the grid
    EXPECT_EQ(Study(UnitCounts(), grid, 100, 5, Shard{}, error).indexOf(off, 100), Study::kNowhere);
}
