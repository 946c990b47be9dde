#pragma once

#include <array>
#include <atomic>

class WatchedBattle;

// Every key press, however short, counted between two looks of the frame loop. The library's
// key-state array only shows the keys that are down at the moment it is read, so a press and
// release that both fall between two frames (a remote desktop, a key-repeat tool, a quick
// finger) leave no trace there; the library's low-level keyboard callback sees every one.
//
// record runs on the library's input thread; drain and the queries run on the main thread,
// once per look. Nothing is lost between the two: a press recorded during a drain is counted
// by this look or by the next one.
class KeyPresses {
public:
    // One keyboard event as the low-level callback reports it: the key's scancode, with bit 7
    // set when the key is let go. Only presses are counted.
    void record(int scancode);

    // Makes the presses recorded since the previous drain the ones this look sees.
    void drain();

    // How often the key was pressed before this look (since the look before it); shifted
    // counts only the presses made while a Shift key was held, unshifted the others.
    int count(int scancode) const;
    int shifted(int scancode) const;
    int unshifted(int scancode) const { return count(scancode) - shifted(scancode); }

    // The key is down in the key-state array now, or was pressed since the previous look.
    bool downOrPressed(int scancode) const;

private:
    static constexpr int kScancodes = 128;  // the callback's scancodes, without the release bit
    static constexpr int kReleaseBit = 0x80;

    std::array<std::atomic<int>, kScancodes> recorded_{};  // since the last drain
    std::array<std::atomic<int>, kScancodes> recordedShifted_{};
    std::array<int, kScancodes> seen_{};  // by this look
    std::array<int, kScancodes> seenShifted_{};
    std::atomic<int> shiftsDown_{0};  // Shift keys held, as the events tell
};

// Feeds every key event of the library's keyboard handler into the given presses (null stops
// it). The keyboard must be installed.
void listenForKeyPresses(KeyPresses* presses);

// The viewer's keys pressed since the last look, each press counted however short it was:
// Space pauses or goes on, + (or =, and + on the keypad) is faster, - (also on the keypad)
// slower, 1 (also on the keypad) normal speed. The timeline's keys move the battle: Left and
// Right 5 seconds back or forward, Shift+Left and Shift+Right (or , and .) a frame, pausing
// first, Home to the start and End to the end.
void takeViewerKeys(const KeyPresses& presses, WatchedBattle& watched);
