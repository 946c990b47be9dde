#include "bitmap/FrameScaler.h"

#include <allegro.h>

FrameScaler::FrameScaler(int width, int height) : width_(width), height_(height) {}

FrameScaler::~FrameScaler()
{
    if (scaled_ != nullptr) destroy_bitmap(scaled_);
}

BITMAP* FrameScaler::fit(BITMAP* frame)
{
    if (frame->w == width_ && frame->h == height_) return frame;
    if (scaled_ != nullptr && bitmap_color_depth(scaled_) != bitmap_color_depth(frame)) {
        destroy_bitmap(scaled_);
        scaled_ = nullptr;
        averaged_.reset();  // its picture is no longer in the bitmap
    }
    if (scaled_ == nullptr) scaled_ = create_bitmap_ex(bitmap_color_depth(frame), width_, height_);
    if (scaled_ == nullptr) return frame;  // no memory for the copy: show what fits, unscaled
    if (bitmap_color_depth(frame) != 16 || !is_memory_bitmap(frame)) {
        stretch_blit(frame, scaled_, 0, 0, frame->w, frame->h, 0, 0, width_, height_);
        averaged_.reset();  // the bitmap no longer holds its picture
        return scaled_;
    }
    // A 16-bit pixel is 5-6-5 whichever of red and blue the screen puts on top: the average
    // takes the three fields as they are. Only what changed since the last frame is averaged
    // again; the scaled frame then reaches the screen as one copy, as an unscaled frame does.
    if (averaged_ == nullptr || averaged_->fromWidth() != frame->w || averaged_->fromHeight() != frame->h) {
        averaged_ = std::make_unique<AreaScaler>(frame->w, frame->h, width_, height_);
    }
    frameRows_.resize(frame->h);
    for (int y = 0; y < frame->h; ++y) frameRows_[y] = reinterpret_cast<const std::uint16_t*>(frame->line[y]);
    scaledRows_.resize(height_);
    for (int y = 0; y < height_; ++y) scaledRows_[y] = reinterpret_cast<std::uint16_t*>(scaled_->line[y]);
    averaged_->update(frameRows_.data(), scaledRows_.data());
    return scaled_;
}
