#pragma once

#include "bitmap/BitmapSurface.h"
#include "gfx/Canvas.h"

struct BITMAP;

// A canvas on a black memory bitmap of the back buffer's size and depth; the colour depth in
// force before comes back after it. It needs no screen: a clip, an icon, a benchmark or a test
// draws whole frames into it exactly as the program draws them for the display.
class MemoryCanvas {
public:
    MemoryCanvas();  // throws std::runtime_error when there is no memory for the bitmap
    ~MemoryCanvas();
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    Canvas& canvas() { return canvas_; }
    Surface& surface() { return surface_; }
    BITMAP* bitmap() const { return surface_.bitmap(); }

private:
    int previousDepth_;      // the library's colour depth before
    BitmapSurface surface_;  // owns the bitmap
    Canvas canvas_;          // draws into surface_
};
