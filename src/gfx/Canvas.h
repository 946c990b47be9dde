#pragma once

#include "gfx/BackgroundLayer.h"
#include "gfx/Colour.h"
#include "gfx/Surface.h"

// Size and depth of the back buffer every frame is drawn into.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
constexpr int kColourDepth = 16;

// The off-screen back buffer that every draw draws into, and the kept picture of the terrain
// that starts every frame.
class Canvas {
public:
    Surface* backBuffer = nullptr;  // kScreenWidth x kScreenHeight, not owned
    BackgroundLayer background;     // a picture that starts every frame, redrawn only when it changes
};

// The canvas everything draws into; null until one is installed.
Canvas* currentCanvas();

// Makes the given canvas the one everything draws into (the previous is returned). The
// desktop program installs the one it creates with the display, a clip or a test one on a
// memory bitmap, the browser's page one on a pixel buffer.
Canvas* installCanvas(Canvas* canvas);

// The picture every draw goes to: the installed canvas's back buffer.
Surface& backBuffer();

// Fills the box with corners (x1, y1) and (x2, y2), both included, in the back buffer, in the
// colour made from (r, g, b).
void fillBox(int x1, int y1, int x2, int y2, int r, int g, int b);
