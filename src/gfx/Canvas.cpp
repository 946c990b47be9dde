#include "gfx/Canvas.h"

#include <allegro.h>

namespace {
Canvas* theCanvas = nullptr;
}  // namespace

Canvas* currentCanvas()
{
    return theCanvas;
}

Canvas* installCanvas(Canvas* canvas)
{
    Canvas* previous = theCanvas;
    theCanvas = canvas;
    return previous;
}

BITMAP* backBuffer()
{
    return theCanvas->backBuffer;
}

void fillBox(int x1, int y1, int x2, int y2, int r, int g, int b)
{
    fillCanvasBox(x1, y1, x2, y2, makecol(r, g, b));
}

void fillCanvasBox(int x1, int y1, int x2, int y2, int colour)
{
    theCanvas->shapes.fillBox(theCanvas->backBuffer, x1, y1, x2, y2, colour);
}

void fillSoldierTriangle(int px, int py, int s, int r, int g, int b)
{
    theCanvas->shapes.fillTriangle(theCanvas->backBuffer, px, py, s, makecol(r, g, b));
}
