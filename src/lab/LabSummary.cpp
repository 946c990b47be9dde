#include "lab/LabSummary.h"

#include <algorithm>
#include <cmath>

#include "game/DueTicks.h"
#include "lab/Format.h"

namespace {

const char* const kTeamNames[kSides] = {"red", "blue"};

std::string shareLine(const char* label, long long count, long long battles)
{
    if (battles == 0) return format("%-16s %6lld\n", label, count);
    const WilsonInterval w = wilsonInterval(count, battles);
    return format("%-16s %6lld  %5.1f%%   95%% CI %5.1f%% to %5.1f%%\n", label, count, 100 * w.share, 100 * w.low,
                  100 * w.high);
}

}  // namespace

double percentile(const std::vector<double>& sorted, double q)
{
    const double rank = q * static_cast<double>(sorted.size() - 1);
    const size_t below = static_cast<size_t>(std::floor(rank));
    const size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (rank - static_cast<double>(below)) * (sorted[above] - sorted[below]);
}

double percentile(const Tally& tally, double q)
{
    long long count = 0;
    for (const auto& [value, times] : tally) count += times;
    if (count == 0) return 0.0;
    // The values at the two closest ranks, walking the tally once.
    const double rank = q * static_cast<double>(count - 1);
    const long long below = static_cast<long long>(std::floor(rank));
    const long long above = std::min(below + 1, count - 1);
    double low = 0;
    double high = 0;
    long long seen = 0;
    for (const auto& [value, times] : tally) {
        if (seen <= below && below < seen + times) low = value;
        if (seen <= above && above < seen + times) {
            high = value;
            break;
        }
        seen += times;
    }
    return low + (rank - static_cast<double>(below)) * (high - low);
}

LabSummary::LabSummary(const std::vector<BattleOutcome>& outcomes)
{
    for (const BattleOutcome& o : outcomes) add(o);
}

void LabSummary::add(const BattleOutcome& o)
{
    ++battles;
    if (o.finished()) {
        ++wins[o.winner];
        ++endFrames[o.endFrame];
        endFrameTotal += o.endFrame;
    } else {
        ++unfinished;
    }
    for (int team = 0; team < kSides; ++team) {
        for (int kind = 0; kind < kFightingKinds; ++kind) leftTotals[team][kind] += o.left.units[team][kind];
    }
}

double LabSummary::meanSeconds() const
{
    if (finished() == 0) return 0.0;
    return static_cast<double>(endFrameTotal) / static_cast<double>(finished()) / kTicksPerSecond;
}

double LabSummary::percentileSeconds(double q) const
{
    return percentile(endFrames, q) / kTicksPerSecond;
}

double LabSummary::meanLeft(int team, int kind) const
{
    return battles == 0 ? 0.0 : static_cast<double>(leftTotals[team][kind]) / static_cast<double>(battles);
}

double LabSummary::meanLeftSide(int team) const
{
    long long total = 0;
    for (int kind = 0; kind < kFightingKinds; ++kind) total += leftTotals[team][kind];
    return battles == 0 ? 0.0 : static_cast<double>(total) / static_cast<double>(battles);
}

std::string formatSummary(const LabSummary& s)
{
    std::string text = format("%-16s %6lld\n", "battles", s.battles);
    text += shareLine("red wins", s.wins[0], s.battles);
    text += shareLine("blue wins", s.wins[1], s.battles);
    text += shareLine("unfinished", s.unfinished, s.battles);
    if (s.finished() == 0) {
        text += format("%-16s no base fell\n", "battle length");
    } else {
        text +=
            format("%-16s mean %.1f s   median %.1f s   90th percentile %.1f s   (%lld with a fallen base)\n",
                   "battle length", s.meanSeconds(), s.percentileSeconds(0.5), s.percentileSeconds(0.9), s.finished());
    }
    if (s.battles > 0) {
        for (int team = 0; team < kSides; ++team) {
            text +=
                format("%-16s %-4s %.1f   (riflemen %.1f, snipers %.1f, tanks %.1f)\n",
                       team == 0 ? "units left, mean" : "", kTeamNames[team], s.meanLeftSide(team),
                       s.meanLeft(team, kRiflemenKind), s.meanLeft(team, kSnipersKind), s.meanLeft(team, kTanksKind));
        }
    }
    return text;
}
