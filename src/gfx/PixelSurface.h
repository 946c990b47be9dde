#pragma once

#include <cstdint>
#include <vector>

#include "gfx/FontGlyphs.h"
#include "gfx/Surface.h"

// A surface over a plain buffer of 16-bit pixels, red in the top 5 bits, green in the middle
// 6, blue in the low 5, as the graphics library lays out its 16-bit memory bitmaps. It needs
// no library at all, and draws exactly the pixels the library draws: lines step as the
// library's do, triangles fill the library's rows, and glyphs are the library's own (FontGlyphs).
class PixelSurface : public Surface {
public:
    PixelSurface(int width, int height);  // black

    // ---- the pixels ----
    const std::uint16_t* pixels() const { return pixels_.data(); }  // row after row from the top
    std::uint16_t pixelAt(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    static std::uint16_t pixelValue(Colour colour);  // as the library makes a 16-bit colour

    // ---- Surface ----
    int width() const override { return width_; }
    int height() const override { return height_; }
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
    void fillRow(int y, int x1, int x2, std::uint16_t value);  // clipped, x1 <= x2
    void plot(int x, int y, std::uint16_t value)               // clipped
    {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[static_cast<size_t>(y) * width_ + x] = value;
    }
    // The soldier's triangle (steep) or the roof of size s with its apex at (px, py - s).
    void fillTriangle(int px, int py, int s, bool steep, Colour colour);

    int width_;
    int height_;
    std::vector<std::uint16_t> pixels_;  // width_ x height_, row after row
};
