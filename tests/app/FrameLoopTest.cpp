#include <allegro.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "game/Battle.h"
#include "app/FrameLoop.h"
#include "game/Countdown.h"
#include "app/KeyPresses.h"
#include "game/WatchedBattle.h"
#include "game/UnitCounts.h"
#include "support/DrawnWorldTest.h"
#include "units/Renderer.h"
#include "units/Soldier.h"

namespace {

// An invisible object that counts the update passes reaching it and can act on each one.
class PassCounter : public Renderer {
public:
    void draw(Surface&) const override {}
    void update(Battlefield&, Random&) override
    {
        // A catch-up that never stops would hang the suite; end it as a failure instead.
        if (++updates > 100) throw std::runtime_error("runaway catch-up");
        if (onUpdate) onUpdate(updates);
    }
    ObjectKind getType() const override { return ObjectKind::Effect; }
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<PassCounter>(*this); }

    int updates = 0;
    std::function<void(int)> onUpdate;
};

// Pixels around the text's place that differ from a black bitmap with only the text drawn at
// (textX, textY) in white on black. Zero means the text is there, in that place, and nothing else.
int pixelsDifferingFromText(BITMAP* actual, const std::string& text, int textX, int textY)
{
    BITMAP* expected = create_bitmap_ex(16, actual->w, actual->h);
    clear_to_color(expected, makecol16(0, 0, 0));
    textout_ex(expected, font, text.c_str(), textX, textY, makecol16(255, 255, 255), makecol16(0, 0, 0));
    const int width = 8 * static_cast<int>(text.size());
    int differing = 0;
    for (int y = textY - 8; y < textY + 16; ++y) {
        for (int x = textX - 16; x < textX + width + 16; ++x) {
            if (getpixel(actual, x, y) != getpixel(expected, x, y)) ++differing;
        }
    }
    destroy_bitmap(expected);
    return differing;
}

// The frame loop on a battle with no armies (only the two bases, far from the countdown text)
// on flat ground, with a pass counter among its objects.
class FrameLoopTest : public DrawnWorldTest {
protected:
    void SetUp() override
    {
        DrawnWorldTest::SetUp();
        battle = std::make_unique<Battle>(UnitCounts{0, 0, 0, 0, 0, 0}, 1);
        for (int x = 0; x < kColumns; ++x) {
            for (int y = 0; y < kRows; ++y) field().setHeight(x, y, 0);
        }
        auto made = std::make_unique<PassCounter>();
        counter = made.get();
        field().addObject(std::move(made));
    }
    void TearDown() override
    {
        watched.reset();
        battle.reset();
        DrawnWorldTest::TearDown();
    }

    // The battle as made, before the first frame watches it.
    Battlefield& field() { return battle->field(); }
    // The battle watched from the first frame on.
    WatchedBattle& watch()
    {
        if (!watched) watched = std::make_unique<WatchedBattle>(std::move(*battle));
        return *watched;
    }
    const Battle& played() { return watch().battle(); }

    // One frame; returns how often it slept waiting for a tick. Without onSleep the frame is
    // not expected to wait; if it does, that fails and a tick is supplied so the frame can end.
    int frame(const std::function<void()>& onSleep = {})
    {
        int sleeps = 0;
        runFrame(watch(), canvas(), due, [&] {
            ++sleeps;
            if (onSleep) {
                onSleep();
            } else {
                ADD_FAILURE() << "the frame waited although a tick was due";
                due.fetch_add(1);
            }
        });
        return sleeps;
    }

    std::unique_ptr<Battle> battle;
    std::unique_ptr<WatchedBattle> watched;
    DueTicks due{0};
    PassCounter* counter = nullptr;
};

}  // namespace

TEST(FrameLoopTickTest, TimerTickAddsOneTick)
{
    const int saved = ticks.exchange(0);
    onTimerTick();
    onTimerTick();
    EXPECT_EQ(ticks.load(), 2);
    ticks.store(saved);
}

// A frame that catches up runs three whole logical frames: the countdown steps with each
// pass, so a slow machine plays the same battle.
TEST_F(FrameLoopTest, ThreeDueTicksRunThreeLogicalFrames)
{
    due.store(3);
    EXPECT_EQ(frame(), 0);
    EXPECT_EQ(counter->updates, 3);
    EXPECT_EQ(played().reinforcementTimer(), 3000 - 3);
    EXPECT_EQ(due.load(), 0);
}

TEST(CatchUpTest, NoPassWithoutADueTick)
{
    DueTicks due{0};
    int passes = 0;
    EXPECT_EQ(catchUp(due, [&] { ++passes; }), 0);
    EXPECT_EQ(passes, 0);
    EXPECT_EQ(due.load(), 0);
}

TEST_F(FrameLoopTest, TickArrivingDuringFirstPassEndsTheFrameAndIsCarried)
{
    due.store(3);
    counter->onUpdate = [this](int n) {
        if (n == 1) due.fetch_add(1);
    };
    frame();
    EXPECT_EQ(counter->updates, 1);
    EXPECT_EQ(due.load(), 3);

    // The carried ticks are run at once: no waiting, and no more passes than ticks.
    EXPECT_EQ(frame(), 0);
    EXPECT_EQ(counter->updates, 4);
    EXPECT_EQ(due.load(), 0);
}

TEST_F(FrameLoopTest, WaitSleepsUntilATickIsDue)
{
    int sleeps = 0;
    const int sleptFor = frame([&] {
        EXPECT_EQ(counter->updates, 0) << "no pass may run before a tick is due";
        if (++sleeps == 5) due.fetch_add(1);
    });
    EXPECT_EQ(sleptFor, 5);
    EXPECT_EQ(counter->updates, 1);
    EXPECT_EQ(due.load(), 0);
}

TEST_F(FrameLoopTest, FirstFrameShows2999)
{
    due.store(1);
    frame();
    EXPECT_EQ(played().reinforcementTimer(), 2999);
    EXPECT_EQ(pixelsDifferingFromText(bitmap(), "Reinforcements in 2999", 640, 32), 0);
}

TEST_F(FrameLoopTest, FrameOnWhichTheCountdownRunsOutLaunchesAWave)
{
    battle->setReinforcementTimer(2);  // the wave itself places nothing: the counts are all 0

    due.store(1);
    frame();
    EXPECT_EQ(played().reinforcementTimer(), 1);
    EXPECT_EQ(pixelsDifferingFromText(bitmap(), "Reinforcements in 1", 640, 32), 0);

    due.store(1);
    frame();
    EXPECT_EQ(played().reinforcementTimer(), 3000);
    EXPECT_EQ(pixelsDifferingFromText(bitmap(), "Reinforcements in 3000", 640, 32), 0);
    EXPECT_EQ(played().field().objects.size(), 3u) << "the counter and the two bases";
    EXPECT_EQ(played().field().units().size(), 2u) << "the two bases";
}

TEST_F(FrameLoopTest, AfterGameOverNothingMovesAndTheCountdownStandsStill)
{
    auto* fallen = static_cast<Soldier*>(
        field().registerUnit(std::make_unique<Soldier>(random(), 0, 10, 10, SoldierKind::Rifleman)));
    ASSERT_NE(fallen, nullptr);
    fallen->health = 0;  // would queue itself if it were updated
    field().gameOver = true;
    battle->setReinforcementTimer(1);  // one more step would launch a wave

    for (int n = 0; n < 3; ++n) {
        due.store(2);
        frame();
        EXPECT_EQ(due.load(), 0) << "due ticks are still used up";
    }
    EXPECT_EQ(counter->updates, 0);
    EXPECT_EQ(played().field().occupantAt(10, 10), fallen);
    EXPECT_EQ(played().field().objects.size(), 4u) << "the bases, the counter and the fallen soldier";
    EXPECT_EQ(played().reinforcementTimer(), 1);
    EXPECT_EQ(pixelsDifferingFromText(bitmap(), "Reinforcements in 1", 640, 32), 0);
}

// ---- the main loop and its exit rule: Esc held or pressed since the last look ----

namespace {

class MainLoopTest : public FrameLoopTest {
protected:
    void TearDown() override
    {
        key[KEY_ESC] = 0;
        FrameLoopTest::TearDown();
    }

    // Runs the loop with the program's Esc rule; every look first runs lookHook(look number).
    int runLoop(const std::function<void(int)>& lookHook = {})
    {
        int looks = 0;
        return runFrames(
            watch(), canvas(), due, [this] { due.fetch_add(1); },
            [&] {
                if (lookHook) lookHook(looks);
                ++looks;
                presses.drain();
                takeViewerKeys(presses, watch());
                return presses.downOrPressed(KEY_ESC);
            },
            [this] { ++shown; });
    }

    bool backBufferIsBlank()
    {
        for (int y = 0; y < bitmap()->h; ++y) {
            for (int x = 0; x < bitmap()->w; ++x) {
                if (getpixel(bitmap(), x, y) != 0) return false;
            }
        }
        return true;
    }

    KeyPresses presses;
    int shown = 0;
};

}  // namespace

TEST_F(MainLoopTest, EscAlreadyDownAtTheFirstLookRunsNoFrameAtAll)
{
    key[KEY_ESC] = 1;
    due.store(2);
    EXPECT_EQ(runLoop(), 0);
    EXPECT_EQ(counter->updates, 0) << "no update pass";
    EXPECT_EQ(due.load(), 2) << "no tick used";
    EXPECT_EQ(shown, 0) << "nothing shown";
    EXPECT_EQ(played().reinforcementTimer(), 3000) << "no countdown";
    EXPECT_TRUE(backBufferIsBlank()) << "no frame drawn";
}

TEST_F(MainLoopTest, AnEscTappedDuringAFrameEndsTheLoopAfterThatFrame)
{
    // Pressed and let go within the third frame's update pass: the key is up at every look.
    counter->onUpdate = [this](int pass) {
        if (pass == 3) {
            presses.record(KEY_ESC);
            presses.record(KEY_ESC | 0x80);
        }
    };
    EXPECT_EQ(runLoop(), 3);
    EXPECT_EQ(shown, 3) << "every frame run is shown";
    EXPECT_EQ(counter->updates, 3);
}

TEST_F(MainLoopTest, EscHeldFromTheMiddleOfTheBattleEndsItAtTheNextLook)
{
    EXPECT_EQ(runLoop([](int look) {
                  if (look == 5) key[KEY_ESC] = 1;
              }),
              5);
    EXPECT_EQ(shown, 5);
}

// The viewer's keys reach the watched battle at every look, a quick tap counting as a press:
// three taps of + make 8x for the next frame, Space pauses it (with "Paused" on the screen),
// and Esc still ends the loop while paused.
TEST_F(MainLoopTest, TheViewersKeysTakeEffectFromTheNextFrame)
{
    auto tap = [this](int scancode) {
        presses.record(scancode);
        presses.record(scancode | 0x80);
    };
    const int frames = runLoop([&](int look) {
        if (look == 2) {
            tap(KEY_EQUALS);
            tap(KEY_PLUS_PAD);
            tap(KEY_EQUALS);
        }
        if (look == 3) tap(KEY_SPACE);
        if (look == 6) tap(KEY_ESC);
    });
    EXPECT_EQ(frames, 6);
    EXPECT_EQ(counter->updates, 1 + 1 + 8) << "two frames at 1x, one at 8x, three paused";
    EXPECT_EQ(played().reinforcementTimer(), 3000 - 10);
    EXPECT_EQ(watch().speedStep(), 3);
    EXPECT_TRUE(watch().paused());
    EXPECT_EQ(pixelsDifferingFromText(bitmap(), "Paused", 640 - 24, 488), 0);
}
