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
    }
    if (scaled_ == nullptr) scaled_ = create_bitmap_ex(bitmap_color_depth(frame), width_, height_);
    if (scaled_ == nullptr) return frame;  // no memory for the copy: show what fits, unscaled
    // The library's stretch of one memory bitmap into another picks the nearest pixel and is
    // well within a frame's budget (see the benchmark); the scaled frame then reaches the
    // screen as one copy, as an unscaled frame does.
    stretch_blit(frame, scaled_, 0, 0, frame->w, frame->h, 0, 0, width_, height_);
    return scaled_;
}
