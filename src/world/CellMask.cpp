#include "world/CellMask.h"

int CellMask::count() const
{
    int marked = 0;
    for (const auto& row : words_) {
        for (std::uint64_t word : row) marked += __builtin_popcountll(word);
    }
    return marked;
}

int CellMask::nearestAtOrLeft(int y, int x) const
{
    if (x < 0) return -1;
    if (x >= kColumns) x = kColumns - 1;
    for (int w = x >> 6; w >= 0; --w) {
        std::uint64_t bits = words_[y][w];
        if (w == (x >> 6)) {
            const int keep = (x & 63) + 1;  // bits 0..x of this word
            if (keep < 64) bits &= (std::uint64_t{1} << keep) - 1;
        }
        if (bits != 0) return (w << 6) + 63 - __builtin_clzll(bits);
    }
    return -1;
}

int CellMask::nearestAtOrRight(int y, int x) const
{
    if (x >= kColumns) return -1;
    if (x < 0) x = 0;
    for (int w = x >> 6; w < kWords; ++w) {
        std::uint64_t bits = words_[y][w];
        if (w == (x >> 6)) bits &= ~std::uint64_t{0} << (x & 63);  // bits x.. of this word
        if (bits != 0) return (w << 6) + __builtin_ctzll(bits);
    }
    return -1;
}
