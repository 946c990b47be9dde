#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "lab/Study.h"

// Every battle of every shard is found again at its place in the whole study, in its shard, and
// the shares of the battles of a composition counted one by one are what battlesIn works out.
TEST(StudyTest, EveryBattleOfAShardIsFoundAtItsPlaceInTheStudy)
{
    std::mt19937 random(11);
    const std::vector<Vary> grid = {Vary{1, 0, 20, 10}, Vary{5, 3, 5, 1}};  // blue tanks, red snipers
    for (int round = 0; round < 40; ++round) {
        const int seeds = 1 + static_cast<int>(random() % 7);
        const int n = 1 + static_cast<int>(random() % 12);
        std::vector<int> present;  // the shards given
        for (int k = 1; k <= n; ++k) {
            if (random() % 3 != 0) present.push_back(k);
        }
        std::vector<long long> counted(9, 0);  // per composition, of the shards present
        for (int k = 1; k <= n; ++k) {
            std::string error;
            const Study shard(UnitCounts(), grid, 100, seeds, Shard{k, n}, error);
            ASSERT_EQ(error, "");
            for (int b = 0; b < shard.battles(); ++b) {
                const long long i = shard.indexOf(shard.counts(b), shard.seed(b));
                SCOPED_TRACE("round " + std::to_string(round) + ", shard " + std::to_string(k));
                ASSERT_NE(i, Study::kNowhere);
                EXPECT_TRUE(shard.inShard(i));
                EXPECT_EQ(shard.compositionOf(i), shard.compositionIndex(shard.counts(b)));
                if (std::find(present.begin(), present.end(), k) != present.end()) ++counted[shard.compositionOf(i)];
            }
        }
        std::string error;
        const Study whole(UnitCounts(), grid, 100, seeds, Shard{1, n}, error);
        for (int c = 0; c < whole.compositions(); ++c) EXPECT_EQ(whole.battlesIn(c, present), counted[c]) << c;
    }
}

TEST(StudyTest, BattlesThatAreNotOfTheStudyAreNowhere)
{
    std::string error;
    const Study study(UnitCounts(), {Vary{1, 0, 20, 10}}, 100, 5, Shard{}, error);
    UnitCounts off = UnitCounts();
    off.blueTanks = 5;  // between two values of the grid
    UnitCounts other = UnitCounts();
    other.blueTanks = 10;
    other.redTanks = 49;  // a count that is not varied
    UnitCounts on = UnitCounts();
    on.blueTanks = 20;
    EXPECT_EQ(study.indexOf(off, 100), Study::kNowhere);
    EXPECT_EQ(study.indexOf(other, 100), Study::kNowhere);
    EXPECT_EQ(study.indexOf(on, 99), Study::kNowhere);
    EXPECT_EQ(study.indexOf(on, 105), Study::kNowhere);
    EXPECT_EQ(study.indexOf(on, 104), 2 * 5 + 4);
    EXPECT_EQ(study.compositionName(2), "blue-tanks=20");
}
