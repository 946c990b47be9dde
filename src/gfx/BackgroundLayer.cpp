#include "gfx/BackgroundLayer.h"

#include <allegro.h>

#include "gfx/Canvas.h"

BackgroundLayer::~BackgroundLayer()
{
    if (layer_ != nullptr) destroy_bitmap(layer_);
}

void BackgroundLayer::drawInto(Canvas& canvas, unsigned long key, const std::function<void()>& paint)
{
    BITMAP* target = canvas.backBuffer;
    const bool fits = layer_ != nullptr && layer_->w == target->w && layer_->h == target->h &&
                      bitmap_color_depth(layer_) == bitmap_color_depth(target);
    if (!fits || key == 0 || key != key_) {
        if (layer_ != nullptr && !fits) {
            destroy_bitmap(layer_);
            layer_ = nullptr;
        }
        if (layer_ == nullptr) layer_ = create_bitmap_ex(bitmap_color_depth(target), target->w, target->h);
        key_ = 0;
        if (layer_ == nullptr) {
            // No memory for the layer: paint the frame itself, as if nothing were kept.
            clear_to_color(target, makecol_depth(bitmap_color_depth(target), 0, 0, 0));
            paint();
            return;
        }
        canvas.backBuffer = layer_;
        clear_to_color(layer_, makecol_depth(bitmap_color_depth(layer_), 0, 0, 0));
        paint();
        canvas.backBuffer = target;
        key_ = key;
    }
    blit(layer_, target, 0, 0, 0, 0, target->w, target->h);
}
