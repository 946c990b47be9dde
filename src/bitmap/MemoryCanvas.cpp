#include "bitmap/MemoryCanvas.h"

#include <allegro.h>

#include <stdexcept>

MemoryCanvas::MemoryCanvas() : previousDepth_(get_color_depth())
{
    // Colours are made for the depth in force: the frame's own while this canvas is drawn into.
    set_color_depth(kColourDepth);
    BITMAP* bitmap = create_bitmap_ex(kColourDepth, kScreenWidth, kScreenHeight);
    if (bitmap == nullptr) {
        set_color_depth(previousDepth_);
        throw std::runtime_error("no memory for a frame of the battle");
    }
    clear_to_color(bitmap, makecol(0, 0, 0));
    surface_.emplace(bitmap, true);
    canvas_.backBuffer = &*surface_;
    previousCanvas_ = installCanvas(&canvas_);
}

MemoryCanvas::~MemoryCanvas()
{
    installCanvas(previousCanvas_);
    set_color_depth(previousDepth_);
}
