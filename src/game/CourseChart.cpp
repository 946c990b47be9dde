#include "game/CourseChart.h"

#include <algorithm>

#include "game/DueTicks.h"
#include "gfx/Surface.h"

namespace {
const Colour kRedLine{255, 64, 64};
const Colour kBlueLine{96, 96, 255};
}  // namespace

CourseChart::CourseChart(int left, int top, int right, int bottom, int spanFrames)
    : left_(left), top_(top), right_(right), bottom_(bottom), span_(std::max(1, spanFrames))
{
}

int CourseChart::xOf(int frame) const
{
    const long long width = right_ - left_;
    return left_ + static_cast<int>(width * std::clamp(frame, 0, span_) / span_);
}

int CourseChart::frameAt(int x) const
{
    const long long width = std::max(1, right_ - left_);
    return static_cast<int>((static_cast<long long>(std::clamp(x, left_, right_) - left_) * span_ + width / 2) / width);
}

void CourseChart::draw(Surface& target, const std::vector<AliveSample>& course, int upTo) const
{
    if (course.empty()) return;
    int most = 1;
    for (const AliveSample& sample : course) most = std::max({most, sample.units[0], sample.units[1]});
    const int height = bottom_ - top_;
    auto yOf = [&](int units) { return bottom_ - static_cast<int>(static_cast<long long>(height) * units / most); };
    auto frameOf = [&](size_t sample) { return std::min(static_cast<int>(sample) * kTicksPerSecond, upTo); };
    const Colour lines[kSides] = {kRedLine, kBlueLine};
    for (int team = 0; team < kSides; ++team) {
        int x = xOf(0);
        int y = yOf(course[0].units[team]);
        for (size_t n = 1; n < course.size() && frameOf(n - 1) < upTo; ++n) {
            const int nextX = xOf(frameOf(n));
            const int nextY = yOf(course[n].units[team]);
            target.drawLine(x, y, nextX, nextY, lines[team]);
            x = nextX;
            y = nextY;
        }
        if (course.size() == 1) target.putPixel(x, y, lines[team]);
    }
}
