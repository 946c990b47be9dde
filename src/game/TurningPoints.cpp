#include "game/TurningPoints.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "game/Moment.h"
#include "world/Team.h"

namespace {

// A side's rise in chance from one moment to another, as the exact fraction
// rise / (rollouts of one * rollouts of the other).
struct Swing {
    int from = 0;  // into the course, sorted by frame
    int to = 0;
    int team = 0;
    long long rise = 0;
    long long scale = 1;
};

// Whether a rises further than b: rise / scale compared without rounding.
bool risesFurther(const Swing& a, const Swing& b)
{
    return static_cast<__int128>(a.rise) * b.scale > static_cast<__int128>(b.rise) * a.scale;
}

int percent(int won, int rollouts)
{
    return static_cast<int>((200LL * won + rollouts) / (2LL * rollouts));  // rounded, halves up
}

}  // namespace

std::vector<TurningPoint> turningPoints(const std::vector<OddsCounts>& course)
{
    std::vector<OddsCounts> moments;
    for (const OddsCounts& odds : course) {
        if (odds.rollouts > 0) moments.push_back(odds);
    }
    std::stable_sort(moments.begin(), moments.end(),
                     [](const OddsCounts& a, const OddsCounts& b) { return a.frame < b.frame; });

    // Turning points are told apart by where they start: of the swings from one moment, only
    // the largest of each side can be one.
    const auto gap = [&moments](const Swing& s) { return moments[s.to].frame - moments[s.from].frame; };
    const auto before = [&](const Swing& a, const Swing& b) {
        if (risesFurther(a, b)) return true;
        if (risesFurther(b, a)) return false;
        if (gap(a) != gap(b)) return gap(a) < gap(b);
        return moments[a.from].frame < moments[b.from].frame;
    };
    std::vector<Swing> swings;
    for (size_t i = 0; i < moments.size(); ++i) {
        for (const int team : {kRedTeam, kBlueTeam}) {
            std::optional<Swing> best;
            for (size_t j = i + 1; j < moments.size() && moments[j].frame - moments[i].frame <= kTurningWindow; ++j) {
                if (moments[j].frame == moments[i].frame) continue;
                const Swing swing{static_cast<int>(i), static_cast<int>(j), team,
                                  static_cast<long long>(moments[j].won(team)) * moments[i].rollouts -
                                      static_cast<long long>(moments[i].won(team)) * moments[j].rollouts,
                                  static_cast<long long>(moments[i].rollouts) * moments[j].rollouts};
                // rise / scale >= kTurningSwing / 100
                const bool large =
                    static_cast<__int128>(swing.rise) * 100 >= static_cast<__int128>(kTurningSwing) * swing.scale;
                if (large && (!best || before(swing, *best))) best = swing;
            }
            if (best) swings.push_back(*best);
        }
    }
    std::stable_sort(swings.begin(), swings.end(), before);

    std::vector<TurningPoint> points;
    for (const Swing& swing : swings) {
        if (static_cast<int>(points.size()) == kMostTurningPoints) break;
        const OddsCounts& from = moments[swing.from];
        const OddsCounts& to = moments[swing.to];
        const bool apart = std::all_of(points.begin(), points.end(), [&](const TurningPoint& taken) {
            return std::abs(taken.frame - from.frame) >= kTurningSpacing;
        });
        if (!apart) continue;
        points.push_back({from.frame, to.frame, swing.team, percent(from.won(swing.team), from.rollouts),
                          percent(to.won(swing.team), to.rollouts)});
    }
    return points;
}

std::string turningPointText(const TurningPoint& point, const char* arrow)
{
    return momentText(point.frame) + (point.team == kRedTeam ? " red " : " blue ") + std::to_string(point.before) +
           "% " + arrow + " " + std::to_string(point.after) + "%";
}
