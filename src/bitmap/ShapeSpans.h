#pragma once

#include <vector>

struct BITMAP;

// Filled boxes and soldiers' triangles for a crowded field. On the 16-bit memory back buffer
// the rows of a shape are written straight into the bitmap's lines; a triangle's rows are
// taken once per size from the library's own triangle fill, so the pixels are exactly those
// of rectfill and triangle. Anything else (another depth, a screen bitmap, a triangle that
// would be clipped, an unusual size) is handed to the library's functions as it is.
class ShapeSpans {
public:
    // As rectfill(target, x1, y1, x2, y2, colour): both corners included, clipped.
    void fillBox(BITMAP* target, int x1, int y1, int x2, int y2, int colour);

    // As triangle(target, px - s, py + s, px, py - s, px + s, py + s, colour).
    void fillTriangle(BITMAP* target, int px, int py, int s, int colour);

private:
    struct Run {
        int row;   // 0 at the apex row py - s
        int from;  // first column, 0 at px - s
        int to;    // last column, included
    };
    const std::vector<Run>& triangleRuns(int s);

    std::vector<std::vector<Run>> triangles_;  // by size s; empty until first needed
};
