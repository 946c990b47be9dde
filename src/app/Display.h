#pragma once

#include <memory>

#include "bitmap/BitmapSurface.h"
#include "bitmap/FrameScaler.h"
#include "gfx/Canvas.h"

// Names the window after the battle of this seed, before or after the display opens; a call
// with the seed already shown changes nothing.
void showSeedInTitle(unsigned seed);

// The size of the picture on a desktop of the given size: the whole back buffer when the
// desktop holds it, else the largest picture of the back buffer's 5:4 shape that fits. A
// desktop of unknown size (0 or less) is taken to hold it.
struct PictureSize {
    int width;
    int height;
};
PictureSize pictureSizeFor(int desktopWidth, int desktopHeight);

// The program's screen: the 16-bit mode at the picture size of the desktop, and the
// 1280 x 1024 back buffer every frame is drawn into, with its canvas.
class Display {
public:
    // Sets the mode and creates the back buffer; when the mode cannot be set or the back buffer
    // cannot be made, returns null, creates nothing and leaves the reason in allegro_error.
    static std::unique_ptr<Display> open();

    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    Canvas& canvas() { return canvas_; }

    // Puts the back buffer on the screen as one copy, scaled to the picture size when the
    // screen is smaller than the back buffer.
    void show();

private:
    Display(BITMAP* backBuffer, int screenWidth, int screenHeight);

    BitmapSurface backBuffer_;  // owns the bitmap
    Canvas canvas_;             // draws into backBuffer_
    FrameScaler scaler_;        // to the screen's size
};
