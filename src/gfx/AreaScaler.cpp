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
constexpr int kPixelsCompared = 4;  // at once, 8 bytes

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
      touched_(sums_.size(), 0)
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

void AreaScaler::change(int x, int y, std::uint64_t difference)
{
    const Span& across = columns_.spans[x];
    const Span& down = rows_.spans[y];
    const std::uint8_t* wx = &columns_.weights[across.weight];
    const std::uint8_t* wy = &rows_.weights[down.weight];
    for (int r = 0; r < down.count; ++r) {
        const size_t row = static_cast<size_t>(down.first + r) * toWidth_;
        const std::uint64_t part = wy[r] * difference;
        for (int c = 0; c < across.count; ++c) {
            const size_t at = row + across.first + c;
            sums_[at] += wx[c] * part;
            if (!fresh_ && touched_[at] == 0) {
                touched_[at] = 1;
                written_.push_back(static_cast<std::uint32_t>(at));
            }
        }
    }
}

void AreaScaler::update(const std::uint16_t* const* from, std::uint16_t* const* to)
{
    written_.clear();
    for (int y = 0; y < fromHeight_; ++y) {
        const std::uint16_t* row = from[y];
        std::uint16_t* last = &last_[static_cast<size_t>(y) * fromWidth_];
        int x = 0;
        for (; x + kPixelsCompared <= fromWidth_; x += kPixelsCompared) {
            if (std::memcmp(row + x, last + x, sizeof(std::uint16_t) * kPixelsCompared) == 0) continue;
            for (int k = x; k < x + kPixelsCompared; ++k) {
                if (row[k] == last[k]) continue;
                change(k, y, channelsOf(row[k]) - channelsOf(last[k]));
                last[k] = row[k];
            }
        }
        for (; x < fromWidth_; ++x) {
            if (row[x] == last[x]) continue;
            change(x, y, channelsOf(row[x]) - channelsOf(last[x]));
            last[x] = row[x];
        }
    }
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
        return;
    }
    for (const std::uint32_t at : written_) {
        to[at / toWidth_][at % toWidth_] = pixelOf(sums_[at]);
        touched_[at] = 0;
    }
}
