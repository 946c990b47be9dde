#include "gfx/AreaScaler.h"

#include <algorithm>
#include <cstring>

namespace {

// A result pixel is kUnit units along each axis; a picture pixel's weight is the units of it
// that lie under the result pixel, so the weights under one result pixel add up to kUnit.
constexpr int kUnit = 32;
constexpr int kFractionBits = 10;  // of kUnit x kUnit

// Under one result pixel a channel sums to at most 63 x 32 x 32, 16 bits: the three channels
// are summed side by side in one 64-bit number, 16 bits each, with one multiplication per
// change and no carry between them. A change that lowers a channel borrows from the lane
// above, but only for as long as the sums are on their way: the sums of whole pictures, the
// only ones ever read, are the lanes' true values, since the arithmetic is that of whole
// numbers modulo 2^64.
constexpr int kGreenLane = 16;
constexpr int kBlueLane = 32;
constexpr std::uint64_t kHalf = std::uint64_t{1} << (kFractionBits - 1);
constexpr std::uint64_t kRounding = kHalf | kHalf << kGreenLane | kHalf << kBlueLane;
constexpr int kPixelsCompared = 32;  // at once, 64 bytes, as eight 64-bit words

// Whether kPixelsCompared pixels differ anywhere.
inline bool differ(const std::uint16_t* a, const std::uint16_t* b)
{
    std::uint64_t any = 0;
    for (int word = 0; word < kPixelsCompared / 4; ++word) {
        std::uint64_t wa, wb;
        std::memcpy(&wa, a + 4 * word, sizeof wa);
        std::memcpy(&wb, b + 4 * word, sizeof wb);
        any |= wa ^ wb;
    }
    return any != 0;
}

inline std::uint64_t channelsOf(std::uint16_t pixel)
{
    return std::uint64_t{pixel} >> 11 | (std::uint64_t{pixel} >> 5 & 63) << kGreenLane |
           (std::uint64_t{pixel} & 31) << kBlueLane;
}

// The sums, rounded, as a 16-bit pixel: each channel's bits from bit 10 of its lane on.
inline std::uint16_t pixelOf(std::uint64_t sums)
{
    const std::uint64_t v = sums + kRounding;
    return static_cast<std::uint16_t>(((v << 1) & 0xf800) | ((v >> 21) & 0x07e0) | (v >> 42));
}

}  // namespace

AreaScaler::AreaScaler(int fromWidth, int fromHeight, int toWidth, int toHeight)
    : fromWidth_(fromWidth),
      fromHeight_(fromHeight),
      toWidth_(toWidth),
      toHeight_(toHeight),
      columns_(axisOf(fromWidth, toWidth)),
      rows_(axisOf(fromHeight, toHeight)),
      last_(static_cast<size_t>(fromWidth) * fromHeight, 0),
      sums_(static_cast<size_t>(toWidth) * toHeight, 0),
      alongRow_(toWidth),
      resultRows_{Changes(toWidth), Changes(toWidth)}
{
}

AreaScaler::Axis AreaScaler::axisOf(int from, int to)
{
    // Picture pixel i starts at i x to / from result pixels, rounded to a unit; so the units
    // under every result pixel add up to kUnit exactly.
    auto start = [from, to](long long i) { return static_cast<int>((2 * i * to * kUnit + from) / (2LL * from)); };
    Axis axis;
    axis.spans.reserve(from);
    for (int i = 0; i < from; ++i) {
        const int low = start(i);
        const int high = start(i + 1);
        Span span{low / kUnit, 0, static_cast<int>(axis.weights.size())};
        for (int j = span.first; j * kUnit < high; ++j) {
            axis.weights.push_back(static_cast<std::uint8_t>(std::min(high, (j + 1) * kUnit) - std::max(low, j * kUnit)));
            ++span.count;
        }
        axis.spans.push_back(span);
    }
    return axis;
}

void AreaScaler::change(int x, std::uint64_t difference)
{
    const Span& across = columns_.spans[x];
    const std::uint8_t* weight = &columns_.weights[across.weight];
    for (int c = 0; c < across.count; ++c) alongRow_.add(across.first + c, weight[c] * difference);
}

void AreaScaler::endRow(int y)
{
    if (alongRow_.columns.empty()) return;
    const Span& down = rows_.spans[y];
    const std::uint8_t* weight = &rows_.weights[down.weight];
    for (int r = 0; r < down.count; ++r) {
        // The rows a picture row lies under only move on: a result row two rows back is done.
        Changes& row = resultRows_[(down.first + r) % 2];
        if (row.row != down.first + r) {
            settle(row);
            row.row = down.first + r;
        }
        for (const int column : alongRow_.columns) row.add(column, weight[r] * alongRow_.sums[column]);
    }
    for (const int column : alongRow_.columns) {
        alongRow_.sums[column] = 0;
        alongRow_.marked[column] = 0;
    }
    alongRow_.columns.clear();
}

void AreaScaler::settle(Changes& row)
{
    // Once settled a result row takes no further change from this picture (the picture rows
    // only move on), so its sums are final and its pixels are written at once.
    if (row.row < 0) return;
    const size_t start = static_cast<size_t>(row.row) * toWidth_;
    std::uint16_t* out = to_[row.row];
    for (const int column : row.columns) {
        const size_t at = start + column;
        sums_[at] += row.sums[column];
        row.sums[column] = 0;
        row.marked[column] = 0;
        if (!fresh_) {
            out[column] = pixelOf(sums_[at]);
            written_.push_back(static_cast<std::uint32_t>(at));
        }
    }
    row.columns.clear();
    row.row = -1;
}

void AreaScaler::update(const std::uint16_t* const* from, std::uint16_t* const* to)
{
    written_.clear();
    to_ = to;
    for (int y = 0; y < fromHeight_; ++y) {
        const std::uint16_t* row = from[y];
        std::uint16_t* last = &last_[static_cast<size_t>(y) * fromWidth_];
        int x = 0;
        for (; x + kPixelsCompared <= fromWidth_; x += kPixelsCompared) {
            if (!differ(row + x, last + x)) continue;
            for (int k = x; k < x + kPixelsCompared; ++k) {
                if (row[k] == last[k]) continue;
                change(k, channelsOf(row[k]) - channelsOf(last[k]));
                last[k] = row[k];
            }
        }
        for (; x < fromWidth_; ++x) {
            if (row[x] == last[x]) continue;
            change(x, channelsOf(row[x]) - channelsOf(last[x]));
            last[x] = row[x];
        }
        endRow(y);
    }
    settle(resultRows_[0]);
    settle(resultRows_[1]);
    if (fresh_) {
        // The result rows may hold anything: every pixel is written, the black ones too.
        fresh_ = false;
        written_.resize(sums_.size());
        for (int y = 0; y < toHeight_; ++y) {
            const size_t row = static_cast<size_t>(y) * toWidth_;
            for (int x = 0; x < toWidth_; ++x) {
                to[y][x] = pixelOf(sums_[row + x]);
                written_[row + x] = static_cast<std::uint32_t>(row + x);
            }
        }
    }
    to_ = nullptr;
}
