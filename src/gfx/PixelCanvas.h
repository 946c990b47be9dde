#pragma once

#include "gfx/Canvas.h"
#include "gfx/PixelSurface.h"

// A canvas on a black pixel buffer of the back buffer's size, installed as the one everything
// draws into for as long as it lives; the canvas in force before comes back after it. It needs
// no graphics library: the browser's page draws every frame into one.
class PixelCanvas {
public:
    PixelCanvas();
    ~PixelCanvas();
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    const PixelSurface& pixels() const { return surface_; }

private:
    PixelSurface surface_;              // kScreenWidth x kScreenHeight
    Canvas canvas_;                     // the one installed while this lives
    Canvas* previousCanvas_ = nullptr;  // installed before
};
