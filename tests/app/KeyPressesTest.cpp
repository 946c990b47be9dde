#include <allegro.h>
#include <gtest/gtest.h>

#include <thread>

#include "app/KeyPresses.h"
#include "support/DrawnWorldTest.h"

namespace {

constexpr int kRelease = 0x80;  // the low-level callback's release bit

// Presses the key and lets it go again, as fast as a key-repeat tool does.
void tap(KeyPresses& presses, int scancode)
{
    presses.record(scancode);
    presses.record(scancode | kRelease);
}

// Sets a key down in the library's key-state array for the length of a test.
class HeldKey {
public:
    explicit HeldKey(int scancode) : scancode_(scancode) { key[scancode_] = 1; }
    ~HeldKey() { key[scancode_] = 0; }

private:
    int scancode_;
};

class KeyPressesTest : public ::testing::Test {
protected:
    void SetUp() override { ensureHeadlessAllegro(); }
    KeyPresses presses;
};

}  // namespace

TEST_F(KeyPressesTest, APressLetGoBeforeTheLookCountsOnceAtThatLook)
{
    tap(presses, KEY_ESC);
    EXPECT_FALSE(presses.downOrPressed(KEY_ESC)) << "a press belongs to the look after it";

    presses.drain();
    EXPECT_EQ(presses.count(KEY_ESC), 1);
    EXPECT_TRUE(presses.downOrPressed(KEY_ESC));

    presses.drain();
    EXPECT_EQ(presses.count(KEY_ESC), 0);
    EXPECT_FALSE(presses.downOrPressed(KEY_ESC));
}

TEST_F(KeyPressesTest, EveryPressBetweenTwoLooksIsCountedAndOnlyPresses)
{
    // Speed keys tapped three times in one frame step three times.
    for (int n = 0; n < 3; ++n) tap(presses, KEY_EQUALS);
    presses.record(KEY_SPACE | kRelease);  // a release whose press came before listening
    presses.record(KEY_1);                 // still held
    presses.drain();

    EXPECT_EQ(presses.count(KEY_EQUALS), 3);
    EXPECT_EQ(presses.count(KEY_SPACE), 0);
    EXPECT_EQ(presses.count(KEY_1), 1);
    EXPECT_EQ(presses.count(KEY_ESC), 0) << "no key counts for another";
    EXPECT_FALSE(presses.downOrPressed(KEY_ESC));
}

TEST_F(KeyPressesTest, AHeldKeyIsDownWithoutAnyPressRecorded)
{
    // The key-state rule: Esc held since before the keyboard was listened to still counts.
    const HeldKey esc(KEY_ESC);
    presses.drain();
    EXPECT_EQ(presses.count(KEY_ESC), 0);
    EXPECT_TRUE(presses.downOrPressed(KEY_ESC));
    EXPECT_FALSE(presses.downOrPressed(KEY_SPACE));
}

TEST_F(KeyPressesTest, ScancodesOutsideTheTableCountForNothing)
{
    presses.drain();
    EXPECT_EQ(presses.count(-1), 0);
    EXPECT_EQ(presses.count(KEY_MAX + 1), 0);
    EXPECT_FALSE(presses.downOrPressed(-1));
    EXPECT_FALSE(presses.downOrPressed(1000));
}

TEST_F(KeyPressesTest, NoPressIsLostWhileTheInputThreadRecordsDuringLooks)
{
    constexpr int kTaps = 200000;
    std::thread input([this] {
        for (int n = 0; n < kTaps; ++n) tap(presses, KEY_ESC);
    });
    long counted = 0;
    for (int looks = 0; looks < 1000000 && counted < kTaps; ++looks) {
        presses.drain();
        counted += presses.count(KEY_ESC);
    }
    input.join();
    presses.drain();
    counted += presses.count(KEY_ESC);
    EXPECT_EQ(counted, kTaps);
}

TEST_F(KeyPressesTest, TheKeyboardCallbackFeedsTheListeningPresses)
{
    listenForKeyPresses(&presses);
    ASSERT_NE(keyboard_lowlevel_callback, nullptr);
    keyboard_lowlevel_callback(KEY_ESC);
    keyboard_lowlevel_callback(KEY_ESC | kRelease);
    listenForKeyPresses(nullptr);
    EXPECT_EQ(keyboard_lowlevel_callback, nullptr);

    presses.drain();
    EXPECT_EQ(presses.count(KEY_ESC), 1);
}
