#include "game/ResultsPanel.h"

#include <algorithm>
#include <cstdio>

#include "game/ArmyCount.h"
#include "game/Battle.h"
#include "game/CourseChart.h"
#include "game/DueTicks.h"
#include "game/HudText.h"
#include "gfx/Surface.h"

namespace {
constexpr int kLineSpacing = 12;
constexpr int kPadding = 8;  // between the edge and the text
constexpr int kEdgeGrey = 128;
constexpr int kResultsPanelTop = kGameOverTextY + 2 * kGlyphHeight;

// A label in a column of its own, then the value.
std::string labelled(const std::string& label, const std::string& value)
{
    char text[128];
    std::snprintf(text, sizeof text, "%-10s%s", label.c_str(), value.c_str());
    return text;
}

// A label, then riflemen, snipers and tanks right-aligned under their names.
std::string row(const std::string& label, const std::string& riflemen, const std::string& snipers,
                const std::string& tanks)
{
    char text[128];
    std::snprintf(text, sizeof text, "%9s%8s%6s", riflemen.c_str(), snipers.c_str(), tanks.c_str());
    return labelled(label, text);
}
}  // namespace

ResultsPanel::ResultsPanel(const Battle& battle, const std::vector<TurningPoint>& turningPoints)
    : course_(battle.course()), length_(battle.endPass())
{
    const ArmyCount left = countArmies(battle.field());
    lines_.push_back(
        labelled("Length", lengthText(battle.endPass()) + " (" + std::to_string(battle.endPass()) + " frames)"));
    lines_.push_back(row("Units left", "Riflemen", "Snipers", "Tanks"));
    for (int team = 0; team < kSides; ++team) {
        const int* units = left.units[team];
        lines_.push_back(row(teamName(team), std::to_string(units[kRiflemenKind]), std::to_string(units[kSnipersKind]),
                             std::to_string(units[kTanksKind])));
    }
    lines_.push_back(labelled("Seed", std::to_string(battle.seed())));
    std::vector<TurningPoint> byMoment = turningPoints;
    std::sort(byMoment.begin(), byMoment.end(),
              [](const TurningPoint& a, const TurningPoint& b) { return a.frame < b.frame; });
    for (size_t n = 0; n < byMoment.size(); ++n) {
        lines_.push_back(labelled(n == 0 ? "Turned" : "", turningPointText(byMoment[n], "->")));
    }
}

std::string ResultsPanel::lengthText(int passes)
{
    const long long tenths = static_cast<long long>(std::max(passes, 0)) * 10 / kTicksPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", tenths / 600, tenths % 600 / 10, tenths % 10);
    return text;
}

void ResultsPanel::draw(Surface& target) const
{
    size_t widest = 0;
    for (const std::string& line : lines_) widest = std::max(widest, line.size());
    const int textWidth = kGlyphWidth * static_cast<int>(widest);
    const int left = kHudCentreX - textWidth / 2 - kPadding;
    const int right = kHudCentreX + (textWidth + 1) / 2 + kPadding - 1;
    const int textBottom =
        kResultsPanelTop + kPadding + kLineSpacing * (static_cast<int>(lines_.size()) - 1) + kGlyphHeight - 1;
    const int chartTop = textBottom + kPadding + 1;
    const int chartBottom = chartTop + kChartHeight - 1;
    const int bottom = chartBottom + kPadding;
    const Colour black{0, 0, 0};
    const Colour edge{kEdgeGrey, kEdgeGrey, kEdgeGrey};
    target.fillBox(left, kResultsPanelTop, right, bottom, black);
    // The edge, one pixel wide all round.
    target.fillBox(left, kResultsPanelTop, right, kResultsPanelTop, edge);
    target.fillBox(left, bottom, right, bottom, edge);
    target.fillBox(left, kResultsPanelTop, left, bottom, edge);
    target.fillBox(right, kResultsPanelTop, right, bottom, edge);
    int y = kResultsPanelTop + kPadding;
    for (const std::string& line : lines_) {
        target.drawText(line, left + kPadding, y, {255, 255, 255}, black);
        y += kLineSpacing;
    }
    const CourseChart chart(left + kPadding, chartTop, right - kPadding, chartBottom, length_);
    chart.draw(target, course_, length_);
}
