#include "gfx/BackgroundLayer.h"

#include "gfx/Canvas.h"

void BackgroundLayer::drawInto(Canvas& canvas, unsigned long key, const std::function<void()>& paint)
{
    Surface* target = canvas.backBuffer;
    if (layer_ == nullptr || madeFor_ != target || layer_->width() != target->width() ||
        layer_->height() != target->height()) {
        layer_ = target->makeLayer();
        madeFor_ = target;
        key_ = 0;
    }
    if (layer_ == nullptr) {
        // No memory for the layer: paint the frame itself, as if nothing were kept.
        target->clear({0, 0, 0});
        paint();
        return;
    }
    if (key == 0 || key != key_) {
        key_ = 0;
        canvas.backBuffer = layer_.get();
        layer_->clear({0, 0, 0});
        paint();
        canvas.backBuffer = target;
        key_ = key;
    }
    target->copyFrom(*layer_);
}
