#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lab/Study.h"

// Each battle of shard K/N is at a place i of the whole study with i % N = K - 1; the battles of
// a composition in some shards, counted one by one, are what battlesIn works out.
TEST(StudyTest, EveryBattleOfAShardIsFoundAtItsPlaceInTheStudy)
{
    std::mt19937 random(11);
    const std::vector<Vary> grid = {Vary{1, 0, 20, 10}, Vary{5, 3, 5, 1}};  // blue tanks, red snipers
    std::string error;
    for (int round = 0; round < 40; ++round) {
        const int seeds = 1 + static_cast<int>(random() % 7), n = 1 + static_cast<int>(random() % 12);
        const Study whole(UnitCounts(), grid, 100, seeds, Shard{1, n}, error);
        std::vector<int> present;              // the shards given
        std::vector<long long> counted(9, 0);  // per composition, in the shards given
        for (int k = 1; k <= n; ++k) {
            const Study shard(UnitCounts(), grid, 100, seeds, Shard{k, n}, error);
            if (random() % 3 != 0) present.push_back(k);
            for (int b = 0; b < shard.battles(); ++b) {
                const long long i = whole.indexOf(shard.counts(b), shard.seed(b));
                ASSERT_TRUE(i != Study::kNowhere && shard.inShard(i)) << round << ", shard " << k;
                counted[whole.compositionOf(i)] += !present.empty() && present.back() == k;
            }
        }
        for (int c = 0; c < whole.compositions(); ++c) EXPECT_EQ(whole.battlesIn(c, present), counted[c]) << c;
        EXPECT_EQ(whole.indexOf(UnitCounts{200, 200, 50, 5, 50, 50}, 100), Study::kNowhere) << "off the grid";
    }
}
