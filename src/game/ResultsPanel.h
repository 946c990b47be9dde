#pragma once

#include <string>
#include <vector>

#include "game/ArmyCount.h"
#include "game/TurningPoints.h"

class Battle;
class Surface;

// What a battle came to, shown under the game-over message once a base has fallen: how long
// it lasted, the units left of each side and kind, and the seed that plays it again. In the
// default font, one line under another from a blank line below the game-over message,
// left-aligned so that the columns of figures line up, white on a black box with a grey edge,
// centred on the HUD's x. Under the lines, the course of the whole battle: the units alive on
// each side from its start to its end.
class ResultsPanel {
public:
    // The figures of the battle as it stands; with the turning points of its odds, when they
    // are shown, listed by their moments in a line each ("0:42 blue 31% -> 78%").
    explicit ResultsPanel(const Battle& battle, const std::vector<TurningPoint>& turningPoints = {});

    const std::vector<std::string>& lines() const { return lines_; }
    void draw(Surface& target) const;

    // The length of a battle of this many update passes in minutes, seconds and tenths
    // ("0:09.8"), cut rather than rounded, as a stopwatch shows it.
    static std::string lengthText(int passes);

    static constexpr int kChartHeight = 40;

private:
    std::vector<std::string> lines_;
    std::vector<AliveSample> course_;  // of the whole battle
    int length_ = 0;                   // passes, to the fall of a base
};
