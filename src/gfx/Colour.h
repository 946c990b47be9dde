#pragma once

// A draw colour as three channels 0..255, turned into a pixel value only when drawing.
struct Colour {
    int r = 0;  // red channel
    int g = 0;  // green channel
    int b = 0;  // blue channel
};

inline bool operator==(const Colour& a, const Colour& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}
