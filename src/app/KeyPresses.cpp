#include "app/KeyPresses.h"

#include <allegro.h>

#include "game/Playback.h"

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
    if ((scancode & kReleaseBit) != 0) return;
    recorded_[scancode & (kScancodes - 1)].fetch_add(1);
}

void KeyPresses::drain()
{
    // exchange, not a read and a reset: a press recorded between the two would be lost.
    for (int code = 0; code < kScancodes; ++code) seen_[code] = recorded_[code].exchange(0);
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

void takeViewerKeys(const KeyPresses& presses, Playback& playback)
{
    // Two presses of Space between two looks pause and go on again, as they would one by one.
    for (int n = presses.count(KEY_SPACE); n > 0; --n) playback.togglePause();
    for (int n = presses.count(KEY_EQUALS) + presses.count(KEY_PLUS_PAD); n > 0; --n) playback.faster();
    for (int n = presses.count(KEY_MINUS) + presses.count(KEY_MINUS_PAD); n > 0; --n) playback.slower();
    if (presses.count(KEY_1) + presses.count(KEY_1_PAD) > 0) playback.normalSpeed();
}
