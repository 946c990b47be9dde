#pragma once

#include "bitmap/ShapeSpans.h"
#include "gfx/Surface.h"

struct BITMAP;

// A surface over one of the graphics library's bitmaps: every call is the library's own
// drawing (rectfill, putpixel, line, triangle, textout_ex with its 8 x 8 font), with boxes and
// soldiers' triangles written as rows on 16-bit memory bitmaps (ShapeSpans), the same pixels.
class BitmapSurface : public Surface {
public:
    explicit BitmapSurface(BITMAP* bitmap, bool owned = false);  // an owned bitmap is destroyed with this
    ~BitmapSurface() override;
    BitmapSurface(const BitmapSurface&) = delete;
    BitmapSurface& operator=(const BitmapSurface&) = delete;

    BITMAP* bitmap() const { return bitmap_; }

    // ---- Surface ----
    int width() const override;
    int height() const override;
    void fillBox(int x1, int y1, int x2, int y2, Colour colour) override;
    void putPixel(int x, int y, Colour colour) override;
    void drawLine(int x1, int y1, int x2, int y2, Colour colour) override;
    void fillSoldierTriangle(int px, int py, int s, Colour colour) override;
    void fillRoof(int px, int py, int s, Colour colour) override;
    void drawText(const std::string& text, int x, int y, Colour textColour, Colour background) override;
    void clear(Colour colour) override;
    std::unique_ptr<Surface> makeLayer() const override;
    void copyFrom(const Surface& layer) override;

private:
    int pixelValue(Colour colour) const;  // at the bitmap's colour depth

    BITMAP* bitmap_;     // drawn into
    bool owned_;         // destroyed with this surface
    ShapeSpans shapes_;  // boxes and triangles as rows
};
