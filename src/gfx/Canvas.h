#pragma once

#include "gfx/BackgroundLayer.h"
#include "gfx/Surface.h"

// Size and depth of the back buffer every frame is drawn into.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
constexpr int kColourDepth = 16;

// Where a frame is drawn: the back buffer, and the kept picture of the terrain that starts
// every frame. Whoever shows frames (the desktop, a clip, the page, a test) owns one beside its
// back buffer and hands it to every frame it draws.
class Canvas {
public:
    explicit Canvas(Surface& backBuffer) : backBuffer_(&backBuffer) {}
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    Surface& backBuffer() const { return *backBuffer_; }  // kScreenWidth x kScreenHeight
    BackgroundLayer& background() { return background_; }

private:
    Surface* backBuffer_;         // not owned
    BackgroundLayer background_;  // a picture that starts every frame, redrawn only when it changes
};
