#pragma once

#include <functional>
#include <string>

#include "game/UnitCounts.h"

// A clip is a battle played with no screen and no timer and written as an animated GIF that
// loops forever: the whole 1280 x 1024 field at half size (640 x 512), one picture every
// second logical frame, so 30 pictures a second of battle, shown for 3, 3 and 4 hundredths of
// a second in turn (exactly 30 a second on average).
//
// Picture k (from 0) is the frame drawn, as the program draws it, right after logical frame
// 2k + 1: the first picture shows the battle after its first frame (the countdown reads
// 2999) on the seed's terrain, and N logical frames give (N + 1) / 2 pictures. A clip from a
// later moment counts its frames from there.
constexpr int kDefaultClipFrames = 1200;  // 20 seconds of battle
constexpr int kFramesPerPicture = 2;

struct ClipRequest {
    std::string path;                 // the GIF to write; replaced only when the clip is complete
    int frames = kDefaultClipFrames;  // logical frames to play, at least 1
    unsigned seed = 0;                // the battle, as Battle(counts, seed) starts it
    UnitCounts counts;                // the armies
    int from = 0;                     // the logical frame the clip starts after (--at); the end at most
    bool odds = false;                // each side's chance drawn in (--odds), worked out before each picture
};

// Told the logical frames played so far out of all, after every frame, and once more at the
// end with finished set, whether or not the clip could be written.
using ClipProgress = std::function<void(int framesDone, int framesTotal, bool finished)>;

// Plays the requested battle and writes its clip. Returns an empty text when the clip is
// written, else one line that says why not (N < 1, a folder that cannot be written, an encoder
// error); then no file of the clip is left behind and a file already at the path is untouched.
// Starts the graphics library with no system driver when it is not running yet, so it needs no
// display.
std::string recordClip(const ClipRequest& request, const ClipProgress& progress = nullptr);

// A progress bar on standard error when that is a terminal; no progress (null) otherwise.
ClipProgress progressBarOnTerminal();
