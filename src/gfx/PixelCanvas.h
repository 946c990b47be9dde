#pragma once

#include "gfx/Canvas.h"
#include "gfx/PixelSurface.h"

// A canvas on a black pixel buffer of the back buffer's size. It needs no graphics library:
// the browser's page draws every frame into one.
class PixelCanvas {
public:
    PixelCanvas();
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    Canvas& canvas() { return canvas_; }
    const PixelSurface& pixels() const { return surface_; }

private:
    PixelSurface surface_;  // kScreenWidth x kScreenHeight
    Canvas canvas_;         // draws into surface_
};
