#include "app/Display.h"

#include <allegro.h>

#include "gfx/Canvas.h"

namespace {
Canvas* programCanvas = nullptr;  // made by getCanvas, freed by destroyCanvas
}  // namespace

Canvas* getCanvas()
{
    if (programCanvas != nullptr) return programCanvas;
    set_color_depth(kColourDepth);
    if (set_gfx_mode(GFX_AUTODETECT, kScreenWidth, kScreenHeight, 0, 0) != 0) return nullptr;
    programCanvas = new Canvas();
    programCanvas->backBuffer = create_bitmap(SCREEN_W, SCREEN_H);
    installCanvas(programCanvas);
    return programCanvas;
}

void destroyCanvas()
{
    if (programCanvas == nullptr) return;
    if (currentCanvas() == programCanvas) installCanvas(nullptr);
    if (programCanvas->backBuffer != nullptr) destroy_bitmap(programCanvas->backBuffer);
    delete programCanvas;
    programCanvas = nullptr;
}
