#pragma once

#include <cstdint>

#include "world/Grid.h"

// One bit per cell of the grid, a row at a time, so that a search can ask "which marked cell
// of this row lies nearest to column x" with a few word operations instead of a cell walk.
class CellMask {
public:
    void set(int x, int y)
    {
        words_[y][x >> 6] |= bit(x);
        markedRows_ |= rowBit(y);
    }
    void clear(int x, int y)
    {
        words_[y][x >> 6] &= ~bit(x);
        if (rowEmpty(y)) markedRows_ &= ~rowBit(y);
    }
    bool test(int x, int y) const { return (words_[y][x >> 6] & bit(x)) != 0; }

    int count() const;  // marked cells

    // The nearest marked column of row y at or left of x, or -1.
    int nearestAtOrLeft(int y, int x) const;
    // The nearest marked column of row y at or right of x, or -1 (x may be 80: none).
    int nearestAtOrRight(int y, int x) const;
    // The two below are defined after the class: the searches ask them for row after row.
    // How many columns the marked cell of row y nearest to column x (0..79) lies from it, or
    // kColumns when the row has none.
    int columnDistance(int y, int x) const;
    // The rows first..last (clipped to the grid) that hold a marked cell: bit y for row y.
    std::uint64_t markedRowsIn(int first, int last) const;

private:
    static constexpr int kWords = (kColumns + 63) / 64;
    static_assert(kRows <= 64, "the marked rows are one word");
    static_assert(kWords == 2, "columnDistance reads a row as two words");
    static std::uint64_t bit(int x) { return std::uint64_t{1} << (x & 63); }
    static std::uint64_t rowBit(int y) { return std::uint64_t{1} << y; }
    bool rowEmpty(int y) const { return (words_[y][0] | words_[y][1]) == 0; }

    std::uint64_t words_[kRows][kWords] = {};  // bit x of row y: cell (x, y) is marked
    std::uint64_t markedRows_ = 0;             // bit y: row y holds a marked cell
};

inline int CellMask::columnDistance(int y, int x) const
{
    const std::uint64_t all = ~std::uint64_t{0};
    const std::uint64_t low = words_[y][0];   // columns 0..63
    const std::uint64_t high = words_[y][1];  // columns 64..79
    int left = kColumns;   // to the nearest marked column at or left of x
    int right = kColumns;  // to the nearest marked column at or right of x
    if (x < 64) {
        const std::uint64_t atOrLeft = low & (all >> (63 - x));
        if (atOrLeft != 0) left = x - (63 - __builtin_clzll(atOrLeft));
        const std::uint64_t atOrRight = low & (all << x);
        if (atOrRight != 0) {
            right = __builtin_ctzll(atOrRight) - x;
        } else if (high != 0) {
            right = 64 + __builtin_ctzll(high) - x;
        }
    } else {
        const std::uint64_t atOrLeft = high & (all >> (127 - x));
        if (atOrLeft != 0) {
            left = x - (127 - __builtin_clzll(atOrLeft));
        } else if (low != 0) {
            left = x - (63 - __builtin_clzll(low));
        }
        const std::uint64_t atOrRight = high & (all << (x - 64));
        if (atOrRight != 0) right = 64 + __builtin_ctzll(atOrRight) - x;
    }
    return left < right ? left : right;
}

inline std::uint64_t CellMask::markedRowsIn(int first, int last) const
{
    if (first < 0) first = 0;
    if (last > kRows - 1) last = kRows - 1;
    if (first > last) return 0;
    const std::uint64_t all = ~std::uint64_t{0};
    return markedRows_ & (all >> (63 - last)) & (all << first);
}
