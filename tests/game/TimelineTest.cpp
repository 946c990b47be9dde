// A seek lands on exactly the battle played forward to its frame, whatever was seen before.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "game/Battle.h"
#include "game/StateDigest.h"
#include "game/Timeline.h"

TEST(TimelineTest, EverySeekLandsOnTheBattlePlayedForwardToItsFrame)
{
    std::mt19937 draw(2024);
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const UnitCounts counts = UnitCounts::bothSides(40 + 5 * static_cast<int>(seed), 12, 12);
        Battle battle(counts, seed);
        std::vector<std::uint64_t> forward{stateDigest(battle.field())};  // of every frame played forward
        for (Battle played = battle; !played.over() && played.passes() < Timeline::kPlayAheadFrames;) {
            played.frame();
            forward.push_back(stateDigest(played.field()));
        }
        const int last = static_cast<int>(forward.size()) - 1;  // where a base falls
        Timeline timeline;
        timeline.reset(battle);
        for (int move = 0; move < 30; ++move) {
            const int now = Timeline::frameOf(battle);
            int target = now;
            const unsigned kind = draw() % 7;
            switch (kind) {
                case 0: target = now - static_cast<int>(draw() % 900); break;              // back
                case 1: target = static_cast<int>(draw() % (timeline.seen() + 1)); break;  // within what was seen
                case 2: target = 0; break;
                case 3:
                    timeline.seekToEnd(battle);
                    target = last;
                    break;
                case 4: target = now + (draw() % 2 == 0 ? 1 : -1); break;                       // a single frame
                case 5: target = timeline.seen() + 1 + static_cast<int>(draw() % 2000); break;  // never seen
                default:  // played on as the viewer sees it
                    for (int n = static_cast<int>(draw() % 200); n > 0 && !battle.over(); --n) {
                        battle.frame();
                        timeline.note(battle);
                    }
                    target = Timeline::frameOf(battle);
            }
            if (kind != 3 && kind != 6) timeline.seek(battle, target);
            target = std::clamp(target, 0, last);
            ASSERT_EQ(Timeline::frameOf(battle), target) << "seed " << seed << ", move " << move;
            ASSERT_EQ(stateDigest(battle.field()), forward[target]) << "seed " << seed << ", frame " << target;
            ASSERT_LE(timeline.keyframeBytes(), Timeline::kKeyframeBudget);
        }
        EXPECT_GT(timeline.keyframes(), 1u);
    }
}
