#include "bitmap/BitmapSurface.h"

#include <allegro.h>

#include <stdexcept>

BitmapSurface::BitmapSurface(BITMAP* bitmap, bool owned) : bitmap_(bitmap), owned_(owned) {}

BitmapSurface::~BitmapSurface()
{
    if (owned_ && bitmap_ != nullptr) destroy_bitmap(bitmap_);
}

int BitmapSurface::width() const
{
    return bitmap_->w;
}

int BitmapSurface::height() const
{
    return bitmap_->h;
}

int BitmapSurface::pixelValue(Colour colour) const
{
    return makecol_depth(bitmap_color_depth(bitmap_), colour.r, colour.g, colour.b);
}

void BitmapSurface::fillBox(int x1, int y1, int x2, int y2, Colour colour)
{
    shapes_.fillBox(bitmap_, x1, y1, x2, y2, pixelValue(colour));
}

void BitmapSurface::putPixel(int x, int y, Colour colour)
{
    putpixel(bitmap_, x, y, pixelValue(colour));
}

void BitmapSurface::drawLine(int x1, int y1, int x2, int y2, Colour colour)
{
    line(bitmap_, x1, y1, x2, y2, pixelValue(colour));
}

void BitmapSurface::fillSoldierTriangle(int px, int py, int s, Colour colour)
{
    if (s < 1) {
        putpixel(bitmap_, px, py, pixelValue(colour));
        return;
    }
    shapes_.fillTriangle(bitmap_, px, py, s, pixelValue(colour));
}

void BitmapSurface::fillRoof(int px, int py, int s, Colour colour)
{
    if (s < 1) {
        putpixel(bitmap_, px, py, pixelValue(colour));
        return;
    }
    triangle(bitmap_, px - s, py, px, py - s, px + s, py, pixelValue(colour));
}

void BitmapSurface::drawText(const std::string& text, int x, int y, Colour textColour, Colour background)
{
    textout_ex(bitmap_, font, text.c_str(), x, y, pixelValue(textColour), pixelValue(background));
}

void BitmapSurface::clear(Colour colour)
{
    clear_to_color(bitmap_, pixelValue(colour));
}

std::unique_ptr<Surface> BitmapSurface::makeLayer() const
{
    BITMAP* layer = create_bitmap_ex(bitmap_color_depth(bitmap_), bitmap_->w, bitmap_->h);
    if (layer == nullptr) return nullptr;
    clear_to_color(layer, makecol_depth(bitmap_color_depth(layer), 0, 0, 0));
    return std::make_unique<BitmapSurface>(layer, true);
}

void BitmapSurface::copyFrom(const Surface& layer)
{
    const auto* bitmapLayer = dynamic_cast<const BitmapSurface*>(&layer);
    if (bitmapLayer == nullptr) throw std::logic_error("a bitmap surface copies only a layer it made");
    blit(bitmapLayer->bitmap_, bitmap_, 0, 0, 0, 0, bitmap_->w, bitmap_->h);
}
