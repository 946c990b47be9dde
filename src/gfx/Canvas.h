#pragma once

#include "gfx/BackgroundLayer.h"
#include "bitmap/ShapeSpans.h"

struct BITMAP;

// Size and depth of the back buffer every frame is drawn into.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
constexpr int kColourDepth = 16;

// Owns the off-screen back buffer that every draw draws into, and what speeds drawing up.
class Canvas {
public:
    BITMAP* backBuffer = nullptr;  // memory bitmap of kScreenWidth x kScreenHeight
    BackgroundLayer background;    // a picture that starts every frame, redrawn only when it changes
    ShapeSpans shapes;             // boxes and soldiers' triangles, written as rows
};

// The canvas everything draws into; null until one is installed.
Canvas* currentCanvas();

// Makes the given canvas the one everything draws into (the previous is returned). The
// program installs the one it creates with the display; a test installs one on a memory
// bitmap with no screen.
Canvas* installCanvas(Canvas* canvas);

// The bitmap every draw goes to.
BITMAP* backBuffer();

// ---- drawing primitives, into the back buffer ----

// Fills the box with corners (x1, y1) and (x2, y2), both included, as the library's rectfill
// does, in the colour made from (r, g, b).
void fillBox(int x1, int y1, int x2, int y2, int r, int g, int b);

// The same with a pixel value for the colour.
void fillCanvasBox(int x1, int y1, int x2, int y2, int colour);

// Fills the upward triangle (px - s, py + s), (px, py - s), (px + s, py + s) of a soldier, as
// the library's triangle fill does.
void fillSoldierTriangle(int px, int py, int s, int r, int g, int b);
