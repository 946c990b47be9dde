#pragma once

#include <optional>

#include "bitmap/MemoryCanvas.h"
#include "gfx/Canvas.h"
#include "support/TestWorld.h"

// Starts the graphics library with no screen (once per process) at 16-bit colour, so that
// memory bitmaps and makecol work in tests.
void ensureHeadlessAllegro();

// A WorldTest with a 1280 x 1024 memory back buffer of the graphics library, for tests that
// look at what is drawn: their pixels are the library's own.
class DrawnWorldTest : public WorldTest {
protected:
    void SetUp() override;
    void TearDown() override;

    Canvas& canvas() { return canvas_->canvas(); }
    Surface& surface() { return canvas_->surface(); }
    BITMAP* bitmap() { return canvas_->bitmap(); }

    // Pixel value at (x, y) of the back buffer, and the pixel value of a colour.
    int pixel(int x, int y) const;
    static int colourValue(int r, int g, int b);

private:
    std::optional<MemoryCanvas> canvas_;  // once the graphics library runs
};
