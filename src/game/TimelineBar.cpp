#include "game/TimelineBar.h"

#include <algorithm>

#include "game/Countdown.h"
#include "game/CourseChart.h"
#include "game/OddsCourse.h"
#include "game/ResultsPanel.h"
#include "game/Timeline.h"
#include "gfx/Surface.h"
#include "units/Entity.h"

namespace {
constexpr int kTextY = TimelineBar::kTop + 2;
constexpr int kChartTop = kTextY + 10;
constexpr int kChartBottom = kChartTop + 29;
constexpr int kTrackTop = kChartBottom + 5;
constexpr int kTrackBottom = kTrackTop + 5;
static_assert(kTrackBottom + 4 < TimelineBar::kBottom, "the marks stay within the panel");
const Colour kBlack{0, 0, 0};
const Colour kEdge{128, 128, 128};
const Colour kUnseen{48, 48, 48};
const Colour kSeen{144, 144, 144};
const Colour kWave{255, 255, 0};
const Colour kWhite{255, 255, 255};
const Colour kOddsLine{255, 255, 128};
const Colour kTurningPoint{0, 255, 0};
}  // namespace

TimelineBar::TimelineBar(const Timeline& timeline, int frame, const OddsCourse* odds)
    : timeline_(timeline), frame_(frame), odds_(odds)
{
    if (timeline.ended()) {
        span_ = std::max(1, timeline.endFrame());
    } else {
        const int seen = std::max(timeline.seen(), frame);
        span_ = std::min((seen / kReinforcementFrames + 1) * kReinforcementFrames, Timeline::kPlayAheadFrames);
        span_ = std::max(span_, seen);
    }
}

void TimelineBar::draw(Surface& target) const
{
    const CourseChart chart(kLeft, kChartTop, kRight, kChartBottom, span_);
    target.fillBox(kLeft - 8, kTop, kRight + 8, kBottom, kBlack);
    target.fillBox(kLeft - 8, kTop, kRight + 8, kTop, kEdge);
    target.fillBox(kLeft - 8, kBottom, kRight + 8, kBottom, kEdge);
    target.fillBox(kLeft - 8, kTop, kLeft - 8, kBottom, kEdge);
    target.fillBox(kRight + 8, kTop, kRight + 8, kBottom, kEdge);

    const std::string time = ResultsPanel::lengthText(frame_) + "  frame " + std::to_string(frame_);
    target.drawText(time, kLeft, kTextY, kWhite, kBlack);
    if (timeline_.ended()) {
        const std::string end = "end " + ResultsPanel::lengthText(timeline_.endFrame());
        target.drawText(end, kRight + 1 - 8 * static_cast<int>(end.size()), kTextY, kWhite, kBlack);
    }

    chart.draw(target, timeline_.course(), timeline_.seen());
    if (odds_ != nullptr) {
        // Red's chance, from the chart's foot (0%) to its top (100%), moment by moment.
        const int height = kChartBottom - kChartTop;
        int lastX = -1;
        int lastY = 0;
        for (const OddsCounts& moment : odds_->course()) {
            if (moment.rollouts <= 0) continue;
            const int x = chart.xOf(moment.frame);
            const int y = kChartBottom - static_cast<int>((2LL * height * moment.red + moment.rollouts) /
                                                          (2LL * moment.rollouts));
            if (lastX >= 0) {
                target.drawLine(lastX, lastY, x, y, kOddsLine);
            } else {
                target.putPixel(x, y, kOddsLine);
            }
            lastX = x;
            lastY = y;
        }
    }
    target.fillBox(kLeft, kTrackTop, kRight, kTrackBottom, kUnseen);
    target.fillBox(kLeft, kTrackTop, chart.xOf(timeline_.seen()), kTrackBottom, kSeen);
    for (int wave = kReinforcementFrames; wave <= span_; wave += kReinforcementFrames) {
        const int x = chart.xOf(wave);
        target.fillBox(x, kTrackTop - 2, x, kTrackBottom + 2, kWave);
    }
    if (odds_ != nullptr) {
        for (const TurningPoint& point : odds_->turningPoints()) {
            const int x = chart.xOf(point.frame);
            target.fillBox(x, kTrackTop - 4, x, kTrackBottom + 4, kTurningPoint);
        }
    }
    if (timeline_.ended()) {
        const int x = chart.xOf(timeline_.endFrame());
        target.fillBox(x - 1, kTrackTop - 4, x + 1, kTrackBottom + 4, teamColour(timeline_.eliminatedTeam()));
    }
    const int playhead = chart.xOf(frame_);
    target.fillBox(playhead, kChartTop - 2, playhead, kTrackBottom + 3, kWhite);
}

int TimelineBar::frameAt(int x, int y) const
{
    if (x < kLeft || x > kRight || y < kChartTop - 2 || y > kTrackBottom + 4) return -1;
    return CourseChart(kLeft, kChartTop, kRight, kChartBottom, span_).frameAt(x);
}
