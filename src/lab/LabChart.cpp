#include "lab/LabChart.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "cli/OutputFile.h"
#include "lab/Gnuplot.h"
#include "lab/LabSummary.h"

namespace {

constexpr double kWantedBins = 20;
constexpr double kLowQuantile = 0.1;
constexpr double kHighQuantile = 0.9;
const char* const kTeamNames[kSides] = {"red", "blue"};

// The smallest of 1, 2, 5, 10, 20, 50... that is at least value.
double roundUp(double value)
{
    double step = 1;
    for (;;) {
        for (double factor : {1.0, 2.0, 5.0}) {
            if (step * factor >= value) return step * factor;
        }
        step *= 10;
    }
}

}  // namespace

void LabChart::add(const BattleOutcome& outcome, const std::vector<AliveSample>& alive)
{
    // The samples while the battle ran, then what it had left from the second of its end on.
    const size_t end = alive.size();
    if (running_.size() < end) running_.resize(end);
    if (endedAt_.size() < end + 1) endedAt_.resize(end + 1);
    for (size_t t = 0; t < end; ++t) {
        for (int team = 0; team < kSides; ++team) ++running_[t].units[team][alive[t].units[team]];
    }
    for (int team = 0; team < kSides; ++team) ++endedAt_[end].units[team][outcome.left.side(team)];
    ++battles_;
    if (outcome.finished()) {
        ++endFrames_[outcome.endFrame];
    } else {
        ++unfinished_;
    }
}

std::vector<LabChart::Point> LabChart::aliveSeries() const
{
    std::vector<Point> points;
    SideTallies ended;  // every battle over by this second, with what it had left
    for (size_t t = 0; t < endedAt_.size(); ++t) {
        Point point;
        point.seconds = static_cast<double>(t);
        for (int team = 0; team < kSides; ++team) {
            for (const auto& [units, battles] : endedAt_[t].units[team]) ended.units[team][units] += battles;
            Tally all = ended.units[team];
            if (t < running_.size()) {
                for (const auto& [units, battles] : running_[t].units[team]) all[units] += battles;
            }
            long long total = 0;
            for (const auto& [units, battles] : all) total += static_cast<long long>(units) * battles;
            point.mean[team] = static_cast<double>(total) / static_cast<double>(battles_);
            point.low[team] = percentile(all, kLowQuantile);
            point.high[team] = percentile(all, kHighQuantile);
        }
        points.push_back(point);
    }
    return points;
}

double LabChart::lengthSeconds(int endFrame) const
{
    BattleOutcome outcome;
    outcome.endFrame = endFrame;
    return outcome.seconds();
}

double LabChart::binWidth() const
{
    if (endFrames_.empty()) return 1;
    return roundUp((lengthSeconds(endFrames_.rbegin()->first) - lengthSeconds(endFrames_.begin()->first)) /
                   kWantedBins);
}

std::vector<LabChart::Bin> LabChart::lengthBins() const
{
    std::vector<Bin> bins;
    if (endFrames_.empty()) return bins;
    const double width = binWidth();
    const auto binOf = [&](int endFrame) { return static_cast<long>(std::floor(lengthSeconds(endFrame) / width)); };
    const long first = binOf(endFrames_.begin()->first);
    const long last = binOf(endFrames_.rbegin()->first);
    for (long b = first; b <= last; ++b) bins.push_back({static_cast<double>(b) * width, 0});
    for (const auto& [endFrame, battles] : endFrames_) bins[static_cast<size_t>(binOf(endFrame) - first)].count += battles;
    return bins;
}

std::string LabChart::script() const
{
    const std::vector<Point> points = aliveSeries();
    double end = points.empty() ? 1 : points.back().seconds;
    if (!endFrames_.empty()) end = std::max(end, lengthSeconds(endFrames_.rbegin()->first) + binWidth());
    const std::string red = teamHexColour(0), blue = teamHexColour(1);

    std::ostringstream s;
    s << "set terminal pngcairo size 1000,800 font 'sans,10'\n"
         "set output\n"
         "set multiplot\n"
         "set grid\n"
         "set lmargin 10\nset rmargin 4\n"
      << "set xrange [0:" << end << "]\n"
      << "set origin 0,0.34\nset size 1,0.66\n"
      << "set title \"Units alive per side in " << battles_
      << " battles: the mean, with a band from the 10th to the 90th percentile\\n"
         "(a battle that has ended counts with what it had left)\"\n"
         "set xlabel 'battle time (s)'\nset ylabel 'units alive'\n"
         "set yrange [0:*]\n"
         "set key top right\n"
         "set style fill transparent solid 0.2 noborder\n"
         "plot $alive using 1:3:4 with filledcurves lc rgb '"
      << red << "' title 'red, 10th to 90th percentile', \\\n"
      << "  '' using 1:6:7 with filledcurves lc rgb '" << blue << "' title 'blue, 10th to 90th percentile', \\\n"
      << "  '' using 1:2 with lines lw 2 lc rgb '" << red << "' title 'red, mean', \\\n"
      << "  '' using 1:5 with lines lw 2 lc rgb '" << blue << "' title 'blue, mean'\n"
      << "set origin 0,0\nset size 1,0.34\n"
         "unset key\n"
         "set xlabel 'battle length (s)'\nset ylabel 'battles'\n";
    if (endFrames_.empty()) {
        s << "set title 'Battle length: no base fell in any of the " << battles_ << " battles'\n"
          << "set yrange [0:1]\n"
             "plot 1/0\n";
    } else {
        s << "set title 'Battle length: " << battles_ - unfinished_ << " battles in which a base fell, " << unfinished_
          << " unfinished'\n"
          << "set yrange [0:*]\n"
             "set style fill solid 0.6 border lc rgb '#303030'\n"
             "set boxwidth "
          << binWidth() * 0.9
          << " absolute\n"
             "plot $lengths using 1:2 with boxes lc rgb '#707070'\n";
    }
    s << "unset multiplot\n";
    return s.str();
}

bool LabChart::draw(OutputFile& png, std::string& error) const
{
    std::ostringstream alive;
    alive << "# seconds";
    for (const char* team : kTeamNames) alive << "  " << team << "-mean " << team << "-p10 " << team << "-p90";
    alive << "\n";
    for (const Point& p : aliveSeries()) {
        alive << p.seconds;
        for (int team = 0; team < kSides; ++team)
            alive << ' ' << p.mean[team] << ' ' << p.low[team] << ' ' << p.high[team];
        alive << '\n';
    }
    std::ostringstream lengths;
    lengths << "# bin-centre-seconds battles\n";
    for (const Bin& bin : lengthBins()) lengths << bin.start + binWidth() / 2 << ' ' << bin.count << '\n';
    return drawWithGnuplot(script(), {{"$alive", alive.str()}, {"$lengths", lengths.str()}}, png, error);
}
