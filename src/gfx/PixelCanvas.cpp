#include "gfx/PixelCanvas.h"

PixelCanvas::PixelCanvas() : surface_(kScreenWidth, kScreenHeight), canvas_(surface_) {}
