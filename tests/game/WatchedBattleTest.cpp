#include <allegro.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/FrameLoop.h"
#include "app/KeyPresses.h"
#include "game/Battle.h"
#include "game/Countdown.h"
#include "game/StateDigest.h"
#include "game/WatchedBattle.h"

namespace {

const UnitCounts kSmallArmies{40, 40, 10, 10, 10, 10};
// The command line 0 0 0 300 50 50: the blue base alone falls, in pass 589 of seed 11.
const UnitCounts kRedOnly{300, 0, 50, 0, 50, 0};
constexpr int kRedOnlyEnd = 589;

// Where a battle stands: enough to tell two battles apart.
struct Standing {
    std::uint64_t digest;
    int timer;
    int passes;
    unsigned seed;
    bool operator==(const Standing& o) const
    {
        return digest == o.digest && timer == o.timer && passes == o.passes && seed == o.seed;
    }
};

Standing standingOf(const Battle& battle)
{
    return {stateDigest(battle.field()), battle.reinforcementTimer(), battle.passes(), battle.seed()};
}

std::ostream& operator<<(std::ostream& out, const Standing& s)
{
    return out << "{digest " << s.digest << ", timer " << s.timer << ", passes " << s.passes << ", seed " << s.seed
               << "}";
}

// A key at a drawn frame.
struct KeyAt {
    int drawnFrame;
    void (WatchedBattle::*key)();
};

class WatchedBattleTest : public ::testing::Test {
protected:
    // One drawn frame with `ticks` due at its start and none arriving while it runs; a frame
    // that has to wait gets one tick after its first sleep. Returns how often it slept.
    int drawnFrame(WatchedBattle& watched, int ticks = 1)
    {
        due.store(ticks);
        int sleeps = 0;
        watched.runFrame(due, [&] {
            if (++sleeps == 1) due.fetch_add(1);
        });
        return sleeps;
    }

    // A battle of the small armies, with a wave due in 100 frames so that waves are part of
    // what is compared, played frame by frame to its `frames` logical frame.
    Standing reference(int frames, unsigned seed = 5)
    {
        Battle battle(kSmallArmies, seed);
        battle.setReinforcementTimer(100);
        for (int n = 0; n < frames; ++n) battle.frame();
        return standingOf(battle);
    }

    DueTicks due{0};
};

}  // namespace

// The keys pressed between two looks of the frame loop, in turn: each press counts, however
// short (a release alone is none), and the speed doubles and halves between 1/4x and 8x. The
// timeline's keys, with Shift held or not, move the battle to its moment; the others never do.
TEST(ViewerKeysTest, KeysSetTheSpeedThePauseAndTheMoment)
{
    constexpr int kUp = 0x80;  // the release bit of a key event
    struct {
        std::vector<int> events;
        int step;
        const char* text;
        bool paused;
        int frame;
    } const looks[] = {
        {{}, 0, "", false, 0},
        {{KEY_EQUALS, KEY_EQUALS | kUp}, 1, "Speed 2x", false, 0},
        {{KEY_PLUS_PAD, KEY_PLUS_PAD | kUp, KEY_EQUALS, KEY_EQUALS | kUp}, 3, "Speed 8x", false, 0},
        {{KEY_EQUALS}, 3, "Speed 8x", false, 0},
        {{KEY_MINUS}, 2, "Speed 4x", false, 0},
        {{KEY_1, KEY_1 | kUp}, 0, "", false, 0},
        {{KEY_MINUS_PAD}, -1, "Speed 1/2x", false, 0},
        {{KEY_MINUS, KEY_MINUS, KEY_MINUS}, -2, "Speed 1/4x", false, 0},
        {{KEY_SPACE, KEY_SPACE | kUp}, -2, "Speed 1/4x", true, 0},
        {{KEY_EQUALS}, -1, "Speed 1/2x", true, 0},
        {{KEY_SPACE, KEY_SPACE | kUp, KEY_SPACE, KEY_SPACE | kUp}, -1, "Speed 1/2x", true, 0},
        {{KEY_SPACE | kUp, KEY_EQUALS | kUp, KEY_A, KEY_0, KEY_2}, -1, "Speed 1/2x", true, 0},
        {{KEY_1_PAD, KEY_SPACE}, 0, "", false, 0},
        {{KEY_RIGHT, KEY_RIGHT | kUp, KEY_RIGHT}, 0, "", false, 600},
        {{KEY_LEFT}, 0, "", false, 300},
        {{KEY_LSHIFT, KEY_RIGHT, KEY_RIGHT | kUp, KEY_LSHIFT | kUp}, 0, "", true, 301},  // a frame, paused first
        {{KEY_RSHIFT, KEY_LEFT, KEY_LEFT, KEY_RSHIFT | kUp}, 0, "", true, 299},
        {{KEY_STOP, KEY_COMMA, KEY_COMMA}, 0, "", true, 298},
        {{KEY_LSHIFT | kUp, KEY_RIGHT}, 0, "", true, 598},  // a Shift let go that was never pressed holds nothing
        {{KEY_HOME}, 0, "", true, 0},
        {{KEY_END}, 0, "", true, 6001},  // where the blue base falls
    };
    WatchedBattle watched(UnitCounts(), 11);
    KeyPresses presses;
    int n = 0;
    for (const auto& look : looks) {
        SCOPED_TRACE(::testing::Message() << "look " << n++);
        for (int event : look.events) presses.record(event);
        presses.drain();
        takeViewerKeys(presses, watched);
        EXPECT_EQ(watched.speedStep(), look.step);
        EXPECT_EQ(watched.speedText(), look.text);
        EXPECT_EQ(watched.paused(), look.paused);
        EXPECT_EQ(watched.moment(), look.frame);
    }
}

// What drawn frames run, one after another, with some ticks due at their start and none
// arriving meanwhile. The first frame after the keys finds no tick due and waits for one.
TEST_F(WatchedBattleTest, ADrawnFrameRunsTheSpeedsShareOfLogicalFrames)
{
    struct Frame {
        int ticks;
        int passes;  // update passes run by the frame
        int steps;   // countdown steps
    };
    struct {
        int step;  // speed as a power of two
        std::vector<Frame> frames;
    } const cases[] = {
        {0, {{0, 1, 1}, {3, 3, 3}, {1, 1, 1}}},  // 1x: a logical frame per tick, however many are due
        {1, {{0, 2, 2}, {2, 4, 4}}},             // n logical frames per tick
        {2, {{0, 4, 4}}},
        {3, {{0, 8, 8}, {2, 16, 16}}},
        {-1, {{0, 0, 0}, {1, 1, 1}, {2, 1, 1}, {3, 1, 1}, {1, 1, 1}}},             // one logical frame every 2nd tick
        {-2, {{0, 0, 0}, {2, 0, 0}, {1, 1, 1}, {4, 1, 1}, {5, 1, 1}, {3, 1, 1}}},  // every 4th
    };
    for (const auto& c : cases) {
        WatchedBattle watched(kSmallArmies, 5);
        const Battle& battle = watched.battle();
        while (watched.speedStep() < c.step) watched.faster();
        while (watched.speedStep() > c.step) watched.slower();
        int n = 0;
        for (const Frame& f : c.frames) {
            SCOPED_TRACE(::testing::Message() << "speed step " << c.step << ", frame " << n++);
            const int passesBefore = battle.passes();
            const int timerBefore = battle.reinforcementTimer();
            EXPECT_EQ(drawnFrame(watched, f.ticks), f.ticks == 0 ? 1 : 0);
            EXPECT_EQ(due.load(), 0);
            EXPECT_EQ(battle.passes() - passesBefore, f.passes);
            EXPECT_EQ(timerBefore - battle.reinforcementTimer(), f.steps);
        }
    }
}

// Ticks carried over from a speed the machine could not hold are not run at the next one.
TEST_F(WatchedBattleTest, TicksLeftOverWhenTheSpeedChangesAreDropped)
{
    WatchedBattle watched(kSmallArmies, 5);
    const Battle& battle = watched.battle();
    watched.faster();
    drawnFrame(watched);
    ASSERT_EQ(battle.passes(), 2);
    watched.normalSpeed();
    EXPECT_EQ(drawnFrame(watched, 25), 1);
    EXPECT_EQ(battle.passes(), 3);
}

// The whole point of the speeds: n logical frames at once are n single ones, so with one tick
// per drawn frame a battle seen at any speed is the battle played frame by frame.
TEST_F(WatchedBattleTest, EverySpeedPlaysTheSameBattleFrameForFrame)
{
    constexpr int kFrames = 480;
    const Standing expected = reference(kFrames);
    EXPECT_FALSE(expected == reference(kFrames - 1));
    for (int step = kSlowestSpeedStep; step <= kFastestSpeedStep; ++step) {
        SCOPED_TRACE(::testing::Message() << "speed step " << step);
        Battle made(kSmallArmies, 5);
        made.setReinforcementTimer(100);
        WatchedBattle watched(made);
        const Battle& battle = watched.battle();
        while (watched.speedStep() < step) watched.faster();
        while (watched.speedStep() > step) watched.slower();
        const int drawn = step >= 0 ? kFrames >> step : kFrames << -step;
        for (int n = 0; n < drawn; ++n) drawnFrame(watched);
        EXPECT_EQ(standingOf(battle), expected);
    }
}

// Keys pressed during a battle, pauses included, change when it is seen, not what is seen.
TEST_F(WatchedBattleTest, ChangingSpeedAndPausingOnTheWayKeepTheBattle)
{
    const std::vector<KeyAt> keys = {
        {10, &WatchedBattle::faster},      {12, &WatchedBattle::faster},      {20, &WatchedBattle::togglePause},
        {30, &WatchedBattle::togglePause}, {31, &WatchedBattle::slower},      {40, &WatchedBattle::slower},
        {41, &WatchedBattle::slower},      {45, &WatchedBattle::togglePause}, {46, &WatchedBattle::faster},
        {47, &WatchedBattle::togglePause}, {60, &WatchedBattle::normalSpeed}, {70, &WatchedBattle::faster},
        {71, &WatchedBattle::faster},      {72, &WatchedBattle::faster},
    };
    Battle made(kSmallArmies, 5);
    made.setReinforcementTimer(100);
    WatchedBattle watched(made);
    const Battle& battle = watched.battle();
    size_t next = 0;
    int drawn = 0;
    while (battle.passes() < 400) {
        while (next < keys.size() && keys[next].drawnFrame == drawn) (watched.*keys[next++].key)();
        drawnFrame(watched);
        ++drawn;
    }
    EXPECT_EQ(next, keys.size());
    const Standing played = standingOf(battle);
    EXPECT_EQ(played, reference(played.passes));
}

TEST_F(WatchedBattleTest, WhilePausedNothingRunsAndNoBurstFollows)
{
    WatchedBattle watched(kSmallArmies, 5);
    const Battle& battle = watched.battle();
    drawnFrame(watched);
    const Standing before = standingOf(battle);

    watched.togglePause();
    for (int n = 0; n < 5; ++n) {
        drawnFrame(watched, 3);
        EXPECT_EQ(due.load(), 0) << "the ticks of a paused frame are dropped";
    }
    EXPECT_EQ(drawnFrame(watched, 0), 1) << "a paused frame still waits for its tick";
    EXPECT_EQ(standingOf(battle), before);

    // Forty ticks came due between the last paused frame and the key: they are not run.
    watched.togglePause();
    EXPECT_EQ(drawnFrame(watched, 40), 1) << "the frame waits for a fresh tick";
    EXPECT_EQ(battle.passes(), before.passes + 1);
    EXPECT_EQ(battle.reinforcementTimer(), before.timer - 1);
}

// The endless show: the end stays for 300 drawn frames (not counting paused ones), then the
// next seed's battle starts exactly as a fresh start of that seed would.
TEST_F(WatchedBattleTest, TheShowStartsTheNextSeedAfterTheEndWasShown)
{
    Standing nextFirstFrame{};
    {
        Battle fresh(kRedOnly, 12);
        fresh.frame();
        nextFirstFrame = standingOf(fresh);
    }
    WatchedBattle watched(kRedOnly, 11, true);
    const Battle& battle = watched.battle();
    while (!battle.over()) drawnFrame(watched);
    EXPECT_EQ(battle.endPass(), kRedOnlyEnd);

    int endShown = 1;  // the frame in which the base fell shows the end
    for (int n = 0; n < 100; ++n, ++endShown) drawnFrame(watched);
    watched.togglePause();
    for (int n = 0; n < 500; ++n) drawnFrame(watched);  // paused frames do not count
    watched.togglePause();
    while (battle.seed() == 11 && endShown < 1000) {
        drawnFrame(watched);
        if (battle.seed() == 11) ++endShown;
    }
    EXPECT_EQ(endShown, kEndShownFrames);
    EXPECT_EQ(standingOf(battle), nextFirstFrame);
    EXPECT_EQ(battle.reinforcementTimer(), kReinforcementFrames - 1);
    EXPECT_FALSE(battle.over());
}

TEST_F(WatchedBattleTest, WithoutTheShowTheEndStays)
{
    WatchedBattle watched(kRedOnly, 11);
    const Battle& battle = watched.battle();
    watched.faster();
    while (!battle.over()) drawnFrame(watched);
    EXPECT_EQ(battle.endPass(), kRedOnlyEnd) << "the length is the pass the base fell in, at any speed";
    const Standing end = standingOf(battle);
    for (int n = 0; n < 2 * kEndShownFrames; ++n) drawnFrame(watched);
    EXPECT_EQ(stateDigest(battle.field()), end.digest);
    EXPECT_EQ(battle.seed(), 11u);
    EXPECT_EQ(battle.reinforcementTimer(), end.timer);
    EXPECT_EQ(battle.endPass(), kRedOnlyEnd);
}

// Neither army has a unit, so nothing will ever happen: the show moves on after 600 drawn
// frames, counted afresh when the battle is started again; without the show the
// battle stays.
TEST_F(WatchedBattleTest, TheShowMovesOnFromABattleWithoutAUnit)
{
    const UnitCounts none{0, 0, 0, 0, -5, 0};
    for (const bool loop : {true, false}) {
        WatchedBattle watched(none, 11, loop);
        const Battle& battle = watched.battle();
        for (int n = 0; n < 400; ++n) drawnFrame(watched);
        watched.replay();
        int shown = 0;
        while (battle.seed() == 11 && shown < 2 * kIdleShownFrames) {
            drawnFrame(watched);
            if (battle.seed() == 11) ++shown;
        }
        EXPECT_EQ(shown, loop ? kIdleShownFrames : 2 * kIdleShownFrames) << (loop ? "the show" : "no show");
        EXPECT_EQ(battle.seed(), loop ? 12u : 11u);
    }
}
