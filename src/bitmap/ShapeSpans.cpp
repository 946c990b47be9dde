#include "bitmap/ShapeSpans.h"

#include <allegro.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kLargestCachedSize = 32;  // soldiers are 1..5; anything odd is drawn directly

bool writableDirectly(BITMAP* target)
{
    return bitmap_color_depth(target) == 16 && is_memory_bitmap(target);
}

void fillRow(BITMAP* target, int y, int x1, int x2, int colour)
{
    auto* row = reinterpret_cast<std::uint16_t*>(target->line[y]);
    std::fill(row + x1, row + x2 + 1, static_cast<std::uint16_t>(colour));
}

}  // namespace

void ShapeSpans::fillBox(BITMAP* target, int x1, int y1, int x2, int y2, int colour)
{
    if (!writableDirectly(target)) {
        rectfill(target, x1, y1, x2, y2, colour);
        return;
    }
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    if (target->clip) {
        x1 = std::max(x1, target->cl);
        y1 = std::max(y1, target->ct);
        x2 = std::min(x2, target->cr - 1);
        y2 = std::min(y2, target->cb - 1);
    }
    for (int y = y1; y <= y2 && x1 <= x2; ++y) fillRow(target, y, x1, x2, colour);
}

void ShapeSpans::fillTriangle(BITMAP* target, int px, int py, int s, int colour)
{
    const bool inside =
        !target->clip || (px - s >= target->cl && py - s >= target->ct && px + s < target->cr && py + s < target->cb);
    if (!writableDirectly(target) || s < 1 || s > kLargestCachedSize || !inside) {
        triangle(target, px - s, py + s, px, py - s, px + s, py + s, colour);
        return;
    }
    const std::vector<Run>& runs = triangleRuns(s);
    if (runs.empty()) {  // the rows could not be read: let the library draw it
        triangle(target, px - s, py + s, px, py - s, px + s, py + s, colour);
        return;
    }
    for (const Run& run : runs) fillRow(target, py - s + run.row, px - s + run.from, px - s + run.to, colour);
}

const std::vector<ShapeSpans::Run>& ShapeSpans::triangleRuns(int s)
{
    if (static_cast<int>(triangles_.size()) <= s) triangles_.resize(s + 1);
    std::vector<Run>& runs = triangles_[s];
    if (!runs.empty()) return runs;
    // Let the library fill the triangle once and read back which pixels it set.
    const int side = 2 * s + 1;
    BITMAP* shape = create_bitmap_ex(8, side, side);
    if (shape == nullptr) return runs;  // empty: tried again next time
    clear_to_color(shape, 0);
    triangle(shape, 0, 2 * s, s, 0, 2 * s, 2 * s, 1);
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            if (getpixel(shape, column, row) == 0) continue;
            if (!runs.empty() && runs.back().row == row && runs.back().to == column - 1) {
                runs.back().to = column;
            } else {
                runs.push_back({row, column, column});
            }
        }
    }
    destroy_bitmap(shape);
    return runs;
}
