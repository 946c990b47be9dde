#pragma once

// Size of the battlefield and of its cells on screen.
constexpr int kColumns = 80;       // cells from left to right
constexpr int kRows = 64;          // cells from top to bottom
constexpr int kCellPixels = 16;    // a cell is 16 x 16 pixels
constexpr int kMaxHeight = 15;     // terrain heights run 0..15

// Pixel centre of a cell along one axis.
constexpr int cellCentre(int cell) { return kCellPixels * cell + kCellPixels / 2; }

// A cell offset of the neighbour search, indices 0..7 clockwise from up-left, 8 the cell itself.
struct CellOffset {
    float dx;
    float dy;
};
inline CellOffset neighbourOffset(int index)
{
    constexpr CellOffset kOffsets[9] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {0, 0}};
    if (index < 0 || index > 8) return {0, 0};
    return kOffsets[index];
}
