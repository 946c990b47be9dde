#include "bitmap/MemoryCanvas.h"

#include <allegro.h>

#include <stdexcept>

namespace {

// A black bitmap of the frame's size at the frame's depth, which stays the library's colour
// depth (colours are made for the depth in force) while the canvas lives.
BITMAP* makeFrameBitmap(int previousDepth)
{
    set_color_depth(kColourDepth);
    BITMAP* bitmap = create_bitmap_ex(kColourDepth, kScreenWidth, kScreenHeight);
    if (bitmap == nullptr) {
        set_color_depth(previousDepth);
        throw std::runtime_error("no memory for a frame of the battle");
    }
    clear_to_color(bitmap, makecol(0, 0, 0));
    return bitmap;
}

}  // namespace

MemoryCanvas::MemoryCanvas()
    : previousDepth_(get_color_depth()), surface_(makeFrameBitmap(previousDepth_), true), canvas_(surface_)
{
}

MemoryCanvas::~MemoryCanvas()
{
    set_color_depth(previousDepth_);
}
