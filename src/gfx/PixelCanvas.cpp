#include "gfx/PixelCanvas.h"

PixelCanvas::PixelCanvas() : surface_(kScreenWidth, kScreenHeight)
{
    canvas_.backBuffer = &surface_;
    previousCanvas_ = installCanvas(&canvas_);
}

PixelCanvas::~PixelCanvas()
{
    installCanvas(previousCanvas_);
}
