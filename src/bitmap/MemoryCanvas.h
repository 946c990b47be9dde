#pragma once

#include <optional>

#include "bitmap/BitmapSurface.h"
#include "gfx/Canvas.h"

struct BITMAP;

// A canvas on a black memory bitmap of the back buffer's size and depth, installed as the one
// everything draws into for as long as it lives; the canvas and the colour depth in force
// before come back after it. It needs no screen: a clip, an icon, a benchmark or a test draws
// whole frames into it exactly as the program draws them for the display.
class MemoryCanvas {
public:
    MemoryCanvas();  // throws std::runtime_error when there is no memory for the bitmap
    ~MemoryCanvas();
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    BITMAP* bitmap() const { return surface_->bitmap(); }

private:
    std::optional<BitmapSurface> surface_;  // owns the bitmap
    Canvas canvas_;                         // the one installed while this lives
    Canvas* previousCanvas_ = nullptr;      // installed before
    int previousDepth_;                     // the library's colour depth before
};
