#pragma once

#include <cstdint>

#include "world/Grid.h"

// One bit per cell of the grid, a row at a time, so that a search can ask "which marked cell
// of this row lies nearest to column x" with a few word operations instead of a cell walk.
class CellMask {
public:
    void set(int x, int y) { words_[y][x >> 6] |= bit(x); }
    void clear(int x, int y) { words_[y][x >> 6] &= ~bit(x); }
    bool test(int x, int y) const { return (words_[y][x >> 6] & bit(x)) != 0; }

    int count() const;  // marked cells

    // The nearest marked column of row y at or left of x, or -1.
    int nearestAtOrLeft(int y, int x) const;
    // The nearest marked column of row y at or right of x, or -1 (x may be 80: none).
    int nearestAtOrRight(int y, int x) const;

private:
    static constexpr int kWords = (kColumns + 63) / 64;
    static std::uint64_t bit(int x) { return std::uint64_t{1} << (x & 63); }

    std::uint64_t words_[kRows][kWords] = {};  // bit x of row y: cell (x, y) is marked
};
