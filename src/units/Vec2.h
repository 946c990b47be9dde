#pragma once

// A point held as two floats: a cell for units, a pixel position or velocity for effects.
// The default (-1, -1) means "no point given".
struct Vec2 {
    float x = -1.0f;  // column or pixel x
    float y = -1.0f;  // row or pixel y

    bool isSet() const { return x >= 0.0f && y >= 0.0f; }
};
