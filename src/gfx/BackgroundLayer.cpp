#include "gfx/BackgroundLayer.h"

#include "gfx/Surface.h"

void BackgroundLayer::drawInto(Surface& target, std::string_view key, const std::function<void(Surface&)>& paint)
{
    if (layer_ == nullptr || madeFor_ != &target || layer_->width() != target.width() ||
        layer_->height() != target.height()) {
        layer_ = target.makeLayer();
        madeFor_ = &target;
        key_.clear();
    }
    if (layer_ == nullptr) {
        // No memory for the layer: paint the frame itself, as if nothing were kept.
        target.clear({0, 0, 0});
        paint(target);
        return;
    }
    if (key.empty() || key != key_) {
        key_.clear();
        layer_->clear({0, 0, 0});
        paint(*layer_);
        key_ = key;
    }
    target.copyFrom(*layer_);
}
