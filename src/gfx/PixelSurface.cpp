#include "gfx/PixelSurface.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

PixelSurface::PixelSurface(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), pixels_(static_cast<size_t>(width_) * height_, 0)
{
}

std::uint16_t PixelSurface::pixelValue(Colour colour)
{
    return static_cast<std::uint16_t>(((colour.r >> 3) << 11) | ((colour.g >> 2) << 5) | (colour.b >> 3));
}

void PixelSurface::fillRow(int y, int x1, int x2, std::uint16_t value)
{
    if (y < 0 || y >= height_) return;
    x1 = std::max(x1, 0);
    x2 = std::min(x2, width_ - 1);
    if (x1 > x2) return;
    std::uint16_t* row = pixels_.data() + static_cast<size_t>(y) * width_;
    std::fill(row + x1, row + x2 + 1, value);
}

void PixelSurface::fillBox(int x1, int y1, int x2, int y2, Colour colour)
{
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    const std::uint16_t value = pixelValue(colour);
    for (int y = std::max(y1, 0); y <= std::min(y2, height_ - 1); ++y) fillRow(y, x1, x2, value);
}

void PixelSurface::putPixel(int x, int y, Colour colour)
{
    plot(x, y, pixelValue(colour));
}

void PixelSurface::drawLine(int x1, int y1, int x2, int y2, Colour colour)
{
    // Bresenham's steps along the longer axis from the first end to the second, the shorter
    // coordinate stepping as soon as the error is not negative, as the library's lines do.
    // Pixels off the picture are skipped one by one, which is how the library clips a line.
    const std::uint16_t value = pixelValue(colour);
    const int dx = std::abs(x2 - x1);
    const int dy = std::abs(y2 - y1);
    const int sx = x2 >= x1 ? 1 : -1;
    const int sy = y2 >= y1 ? 1 : -1;
    const bool alongX = dx >= dy;
    const int longer = alongX ? dx : dy;
    const int shorter = alongX ? dy : dx;
    const int straight = 2 * shorter;
    int error = straight - longer;
    const int diagonal = error - longer;
    int x = x1;
    int y = y1;
    for (int n = 0; n <= longer; ++n) {
        plot(x, y, value);
        if (error >= 0) {
            if (alongX) {
                y += sy;
            } else {
                x += sx;
            }
            error += diagonal;
        } else {
            error += straight;
        }
        if (alongX) {
            x += sx;
        } else {
            y += sy;
        }
    }
}

void PixelSurface::fillTriangle(int px, int py, int s, bool steep, Colour colour)
{
    const std::uint16_t value = pixelValue(colour);
    if (s < 1) {
        plot(px, py, value);
        return;
    }
    // The rows the library draws: from the apex a soldier's triangle widens by one pixel on
    // each side every second row, a roof every row.
    const int rows = steep ? 2 * s + 1 : s + 1;
    for (int row = 0; row < rows; ++row) {
        const int half = steep ? (row + 1) / 2 : row;
        fillRow(py - s + row, px - half, px + half, value);
    }
}

void PixelSurface::fillSoldierTriangle(int px, int py, int s, Colour colour)
{
    fillTriangle(px, py, s, true, colour);
}

void PixelSurface::fillRoof(int px, int py, int s, Colour colour)
{
    fillTriangle(px, py, s, false, colour);
}

void PixelSurface::drawText(const std::string& text, int x, int y, Colour textColour, Colour background)
{
    const std::uint16_t ink = pixelValue(textColour);
    const std::uint16_t paper = pixelValue(background);
    for (const char c : text) {
        // A character the font lacks is drawn as the library draws it: as '^'.
        const std::uint8_t* glyph = fontGlyph(static_cast<unsigned char>(c));
        if (glyph == nullptr) glyph = fontGlyph('^');
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int column = 0; column < kGlyphWidth; ++column) {
                plot(x + column, y + row, (glyph[row] & (0x80 >> column)) != 0 ? ink : paper);
            }
        }
        x += kGlyphWidth;
    }
}

void PixelSurface::clear(Colour colour)
{
    std::fill(pixels_.begin(), pixels_.end(), pixelValue(colour));
}

std::unique_ptr<Surface> PixelSurface::makeLayer() const
{
    return std::make_unique<PixelSurface>(width_, height_);
}

void PixelSurface::copyFrom(const Surface& layer)
{
    const auto* pixels = dynamic_cast<const PixelSurface*>(&layer);
    if (pixels == nullptr || pixels->width_ != width_ || pixels->height_ != height_) {
        throw std::logic_error("a pixel surface copies only a layer it made");
    }
    pixels_ = pixels->pixels_;
}
