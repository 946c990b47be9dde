#include "gfx/Canvas.h"

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

Surface& backBuffer()
{
    return *theCanvas->backBuffer;
}

void fillBox(int x1, int y1, int x2, int y2, int r, int g, int b)
{
    theCanvas->backBuffer->fillBox(x1, y1, x2, y2, {r, g, b});
}
