#include "game/ResultsPanel.h"

#include <allegro.h>

#include <algorithm>
#include <cstdio>

#include "game/ArmyCount.h"
#include "game/Battle.h"
#include "game/DueTicks.h"
#include "game/FrameRender.h"
#include "gfx/Canvas.h"

namespace {
constexpr int kGlyphWidth = 8;  // the default font's
constexpr int kGlyphHeight = 8;
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

ResultsPanel::ResultsPanel(const Battle& battle)
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
}

std::string ResultsPanel::lengthText(int passes)
{
    const long long tenths = static_cast<long long>(std::max(passes, 0)) * 10 / kTicksPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", tenths / 600, tenths % 600 / 10, tenths % 10);
    return text;
}

void ResultsPanel::draw() const
{
    size_t widest = 0;
    for (const std::string& line : lines_) widest = std::max(widest, line.size());
    const int textWidth = kGlyphWidth * static_cast<int>(widest);
    const int left = kHudCentreX - textWidth / 2 - kPadding;
    const int right = kHudCentreX + (textWidth + 1) / 2 + kPadding - 1;
    const int bottom =
        kResultsPanelTop + 2 * kPadding + kLineSpacing * (static_cast<int>(lines_.size()) - 1) + kGlyphHeight - 1;
    BITMAP* target = backBuffer();
    rectfill(target, left, kResultsPanelTop, right, bottom, makecol(0, 0, 0));
    rect(target, left, kResultsPanelTop, right, bottom, makecol(kEdgeGrey, kEdgeGrey, kEdgeGrey));
    int y = kResultsPanelTop + kPadding;
    for (const std::string& line : lines_) {
        textout_ex(target, font, line.c_str(), left + kPadding, y, makecol(255, 255, 255), makecol(0, 0, 0));
        y += kLineSpacing;
    }
}
