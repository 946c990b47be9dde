// A seek lands on exactly the battle played forward to its frame, whatever was seen before.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <random>
#include <vector>

#include "game/Battle.h"
#include "game/FrameRender.h"
#include "game/StateDigest.h"
#include "game/Timeline.h"
#include "game/TimelineBar.h"
#include "game/WatchedBattle.h"
#include "gfx/PixelCanvas.h"
#include "units/Renderer.h"
#include "world/Battlefield.h"

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

namespace {

// An object that only counts the update passes reaching it and its copies (in keyframes too).
class PassCounter : public Renderer {
public:
    explicit PassCounter(std::shared_ptr<int> passes) : passes_(std::move(passes)) {}
    void draw(Surface&) const override {}
    void update(Battlefield&, Random&) override { ++*passes_; }
    ObjectKind getType() const override { return ObjectKind::Effect; }
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<PassCounter>(*this); }

private:
    std::shared_ptr<int> passes_;
};

const UnitCounts kNoArmies{0, 0, 0, 0, 0, 0};  // two bases and nothing else: it never ends

// The 16-bit pixel at (x, y) of a frame drawn as the desktop shows it.
std::uint16_t shownPixel(const WatchedBattle& watched, int x, int y)
{
    PixelCanvas canvas;
    drawShownFrame(watched, canvas.canvas());
    return canvas.pixels().pixels()[y * kScreenWidth + x];
}

}  // namespace

// A battle played through to its end, with no seek: the timeline knows who fell, and the bar
// marks the end in that side's colour (pure blue or pure red, in 16 bits).
TEST(TimelineTest, TheEndIsMarkedInTheColourOfTheSideThatFell)
{
    struct {
        UnitCounts counts;
        int fallen;
        std::uint16_t colour;
    } const cases[] = {
        {{300, 0, 50, 0, 50, 0}, 1, 0x001f},  // no blue army: blue falls
        {{0, 300, 0, 50, 0, 50}, 0, 0xf800},  // no red army: red falls
    };
    for (const auto& c : cases) {
        WatchedBattle watched(c.counts, 11);
        while (!watched.battle().over() && watched.moment() < 6000) watched.playFrame();
        ASSERT_TRUE(watched.battle().over());
        EXPECT_EQ(watched.timeline().eliminatedTeam(), c.fallen);
        EXPECT_EQ(watched.timeline().endFrame(), watched.battle().endPass());
        watched.togglePause();  // paused: the timeline shows
        // The end lies at the right end of the track; the white playhead covers its middle
        // column down to one row above the mark's foot.
        EXPECT_EQ(shownPixel(watched, 1238, 969), c.colour);
        EXPECT_EQ(shownPixel(watched, 1240, 960), c.colour);
        EXPECT_EQ(shownPixel(watched, 1239, 969), c.colour);
        EXPECT_EQ(shownPixel(watched, 1239, 960), 0xffff);
    }
}

// The track spans what was seen rounded up to the next wave (at most the look-ahead, at least
// what was seen), or the whole battle once its end is known; a click's column gives the frame
// nearest to it, the last column the end of the span.
TEST(TimelineTest, TheBarSpansTheSeenBattleAndAClickFindsTheNearestFrame)
{
    struct {
        int seen;
        int span;
        std::vector<std::pair<int, int>> clicks;  // column, frame (-1: not on the bar)
    } const cases[] = {
        {0, 3000, {{40, 0}, {41, 3}, {639, 1499}, {1239, 3000}, {1240, -1}, {39, -1}}},
        {2999, 3000, {{1238, 2997}}},
        {3000, 6000, {{41, 5}, {1239, 6000}}},
        {35999, 36000, {{1239, 36000}}},
        {40000, 40000, {{1239, 40000}, {41, 33}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "seen " << c.seen);
        WatchedBattle watched(kNoArmies, 3);
        watched.seekTo(c.seen);
        ASSERT_EQ(watched.timeline().seen(), c.seen);
        const TimelineBar bar(watched.timeline(), watched.moment());
        EXPECT_EQ(bar.span(), c.span);
        for (const auto& [x, frame] : c.clicks) EXPECT_EQ(bar.frameAt(x, 940), frame) << "column " << x;
    }
    // Rows: from 2 above the chart to 4 below the track.
    const TimelineBar bar(WatchedBattle(kNoArmies, 3).timeline(), 0);
    EXPECT_EQ(bar.frameAt(600, 923), -1);
    EXPECT_EQ(bar.frameAt(600, 924), 1401);
    EXPECT_EQ(bar.frameAt(600, 969), 1401);
    EXPECT_EQ(bar.frameAt(600, 970), -1);
}

// A seek back starts from the keyframe at or before its frame: it plays at most one spacing
// of frames, never the battle from its start.
TEST(TimelineTest, ASeekBackPlaysOnlyFromTheKeyframeBeforeIt)
{
    auto passes = std::make_shared<int>(0);
    Battle battle(UnitCounts::bothSides(60, 10, 10), 5);
    battle.field().addObject(std::make_unique<PassCounter>(passes));
    WatchedBattle watched(std::move(battle));
    for (int n = 0; n < 1000; ++n) watched.playFrame();
    ASSERT_EQ(watched.timeline().spacing(), Timeline::kFirstSpacing);
    const struct {
        int to;
        int played;
    } seeks[] = {{500, 20}, {479, 119}, {480, 0}, {960, 0}, {999, 39}, {1, 1}, {0, 0}};
    for (const auto& s : seeks) {
        *passes = 0;
        watched.seekTo(s.to);
        EXPECT_EQ(watched.moment(), s.to);
        EXPECT_EQ(*passes, s.played) << "seek to " << s.to;
    }
}

// A long packed battle's keyframes would outgrow the budget: their spacing doubles (again and
// again) and what they take stays within it.
TEST(TimelineTest, KeyframesOfALongPackedBattleStayWithinTheirBudget)
{
    WatchedBattle watched(UnitCounts::bothSides(2000, 2000, 2000), 7);
    std::size_t most = 0;
    while (watched.moment() < 12000 && !watched.battle().over()) {
        watched.playFrame();
        most = std::max(most, watched.timeline().keyframeBytes());
    }
    ASSERT_FALSE(watched.battle().over());
    EXPECT_GT(most, Timeline::kKeyframeBudget / 2) << "the budget is within reach";
    EXPECT_LE(most, Timeline::kKeyframeBudget);
    EXPECT_GE(watched.timeline().spacing(), 2 * Timeline::kFirstSpacing);
}
