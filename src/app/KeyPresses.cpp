#include "app/KeyPresses.h"

#include <allegro.h>

#include "game/WatchedBattle.h"

namespace {
std::atomic<KeyPresses*> listener{nullptr};

void onKeyboardEvent(int scancode)
{
    KeyPresses* presses = listener.load();
    if (presses != nullptr) presses->record(scancode);
}
}  // namespace

void KeyPresses::record(int scancode)
{
    const bool release = (scancode & kReleaseBit) != 0;
    const int code = scancode & (kScancodes - 1);
    if (code == KEY_LSHIFT || code == KEY_RSHIFT) {
        // A release with no press seen (the key was down when the program started) is no shift.
        if (!release) {
            shiftsDown_.fetch_add(1);
        } else if (shiftsDown_.load() > 0) {
            shiftsDown_.fetch_sub(1);
        }
    }
    if (release) return;
    recorded_[code].fetch_add(1);
    if (shiftsDown_.load() > 0) recordedShifted_[code].fetch_add(1);
}

void KeyPresses::drain()
{
    // exchange, not a read and a reset: a press recorded between the two would be lost.
    for (int code = 0; code < kScancodes; ++code) {
        seenShifted_[code] = recordedShifted_[code].exchange(0);
        seen_[code] = recorded_[code].exchange(0);
    }
}

int KeyPresses::shifted(int scancode) const
{
    if (scancode < 0 || scancode >= kScancodes) return 0;
    return seenShifted_[scancode];
}

int KeyPresses::count(int scancode) const
{
    if (scancode < 0 || scancode >= kScancodes) return 0;
    return seen_[scancode];
}

bool KeyPresses::downOrPressed(int scancode) const
{
    const bool down = scancode >= 0 && scancode < KEY_MAX && key[scancode] != 0;
    return down || count(scancode) > 0;
}

void listenForKeyPresses(KeyPresses* presses)
{
    listener.store(presses);
    keyboard_lowlevel_callback = presses != nullptr ? onKeyboardEvent : nullptr;
}

void takeViewerKeys(const KeyPresses& presses, WatchedBattle& watched)
{
    // Two presses of Space between two looks pause and go on again, as they would one by one.
    for (int n = presses.count(KEY_SPACE); n > 0; --n) watched.togglePause();
    for (int n = presses.count(KEY_EQUALS) + presses.count(KEY_PLUS_PAD); n > 0; --n) watched.faster();
    for (int n = presses.count(KEY_MINUS) + presses.count(KEY_MINUS_PAD); n > 0; --n) watched.slower();
    if (presses.count(KEY_1) + presses.count(KEY_1_PAD) > 0) watched.normalSpeed();
    // The timeline: all the presses of one look make one move.
    const int frames = kSeekFrames * (presses.unshifted(KEY_RIGHT) - presses.unshifted(KEY_LEFT));
    const int steps =
        presses.shifted(KEY_RIGHT) + presses.count(KEY_STOP) - presses.shifted(KEY_LEFT) - presses.count(KEY_COMMA);
    if (presses.count(KEY_HOME) > 0) {
        watched.seekTo(0);
    } else if (presses.count(KEY_END) > 0) {
        watched.seekToEnd();
    } else if (frames != 0) {
        watched.seekBy(frames);
    }
    if (steps != 0 ||
        presses.shifted(KEY_RIGHT) + presses.shifted(KEY_LEFT) + presses.count(KEY_STOP) + presses.count(KEY_COMMA) >
            0) {
        watched.stepBy(steps);
    }
}
