#pragma once

#include <memory>
#include <vector>

#include "gfx/AreaScaler.h"

struct BITMAP;

// Fits a whole frame to the size it is shown at. A frame of that size is shown as it is; any
// other is scaled to it into a bitmap kept for the next frame: a 16-bit frame by area
// averaging (AreaScaler), so that the one-pixel strokes of letters and the edges of units stay
// whole, only lighter, at the cost of the pixels that changed since the frame before; a frame
// of another depth by picking the nearest pixel.
class FrameScaler {
public:
    FrameScaler(int width, int height);  // the size frames are shown at
    ~FrameScaler();

    FrameScaler(const FrameScaler&) = delete;
    FrameScaler& operator=(const FrameScaler&) = delete;

    // The frame as it is to be shown: the frame itself when it already has the size, else the
    // scaled copy, valid until the next call.
    BITMAP* fit(BITMAP* frame);

    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_;
    int height_;
    BITMAP* scaled_ = nullptr;              // made on first need, at the frame's colour depth
    std::unique_ptr<AreaScaler> averaged_;  // for the frame's size, made on first need
    std::vector<const std::uint16_t*> frameRows_;
    std::vector<std::uint16_t*> scaledRows_;
};
