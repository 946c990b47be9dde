#pragma once

#include <memory>
#include <string>

#include "gfx/Colour.h"

// The size of the 8 x 8 font every text is drawn in.
constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 8;

// A picture of 16-bit pixels that the game draws into, offering only what the game draws:
// boxes, pixels, lines, the soldier's triangle, the base's roof and text in the 8 x 8 font,
// each clipped to the picture. There are two kinds, one over the graphics library's bitmaps
// (the desktop, the clips) and one over a plain pixel buffer (the browser); for the same
// calls both set exactly the same pixels to exactly the same values.
class Surface {
public:
    virtual ~Surface() = default;

    // ---- size ----
    virtual int width() const = 0;
    virtual int height() const = 0;

    // ---- what the game draws ----
    // The box with corners (x1, y1) and (x2, y2), both included, in either order.
    virtual void fillBox(int x1, int y1, int x2, int y2, Colour colour) = 0;
    virtual void putPixel(int x, int y, Colour colour) = 0;
    // The line from (x1, y1) to (x2, y2), both ends included.
    virtual void drawLine(int x1, int y1, int x2, int y2, Colour colour) = 0;
    // The soldier's upward triangle (px - s, py + s), (px, py - s), (px + s, py + s), filled;
    // a size below 1 is the single pixel (px, py).
    virtual void fillSoldierTriangle(int px, int py, int s, Colour colour) = 0;
    // The base's roof, the triangle (px - s, py), (px, py - s), (px + s, py), filled; a size
    // below 1 is the single pixel (px, py).
    virtual void fillRoof(int px, int py, int s, Colour colour) = 0;
    // Text in the 8 x 8 font with its top left corner at (x, y), every glyph an 8 x 8 cell of
    // text colour on background colour.
    virtual void drawText(const std::string& text, int x, int y, Colour textColour, Colour background) = 0;

    // ---- whole pictures ----
    virtual void clear(Colour colour) = 0;
    // A black picture of the same size and kind, to be copied into this one later; null when
    // there is no memory for it.
    virtual std::unique_ptr<Surface> makeLayer() const = 0;
    // Copies the whole of a picture made by this one's makeLayer into this one.
    virtual void copyFrom(const Surface& layer) = 0;
};
