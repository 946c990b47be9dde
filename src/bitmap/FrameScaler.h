#pragma once

struct BITMAP;

// Fits a whole frame to the size it is shown at. A frame of that size is shown as it is;
// any other is scaled to it by picking the nearest source pixel for every shown pixel (no
// blending: every colour shown is one the frame holds) into a bitmap kept for the next frame.
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
    BITMAP* scaled_ = nullptr;  // made on first need, at the frame's colour depth
};
