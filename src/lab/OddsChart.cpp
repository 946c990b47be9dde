#include "lab/OddsChart.h"

#include <algorithm>
#include <sstream>

#include "game/Countdown.h"
#include "game/DueTicks.h"
#include "game/Moment.h"
#include "lab/Calibration.h"
#include "lab/Gnuplot.h"

namespace {

const char* const kTeamNames[kSides] = {"red", "blue"};

double secondsOf(int frame)
{
    return static_cast<double>(frame) / kTicksPerSecond;
}

}  // namespace

std::string oddsCourseData(const OddsCourse& course)
{
    std::ostringstream data;
    data << "# seconds";
    for (const char* team : kTeamNames) data << "  " << team << "-% " << team << "-low " << team << "-high";
    data << "\n";
    for (const OddsCounts& odds : course.moments) {
        data << secondsOf(odds.frame);
        for (int team = 0; team < kSides; ++team) {
            const WilsonInterval w = odds.chance(team);
            data << ' ' << 100 * w.share << ' ' << 100 * w.low << ' ' << 100 * w.high;
        }
        data << '\n';
    }
    return data.str();
}

std::string oddsCourseScript(const OddsCourse& course)
{
    const int lastMoment = course.moments.empty() ? 0 : course.moments.back().frame;
    const int end = std::max(lastMoment, course.endFrame > 0 ? course.endFrame : course.horizon);
    const double right = std::max(1.0, secondsOf(end) * 1.03);
    const std::string colour[kSides] = {teamHexColour(kRedTeam), teamHexColour(kBlueTeam)};

    std::ostringstream s;
    s << "set terminal pngcairo size 1000,600 font 'sans,10'\n"
         "set output\n"
         "set grid\n"
         "set lmargin 10\nset rmargin 4\n"
      << "set xrange [0:" << right << "]\nset yrange [0:100]\n"
      << "set title \"Each side's chance to win the battle of seed " << course.seed << ", from "
      << course.rollouts << " rollouts a moment\\n(the bands: 95% intervals)\"\n"
      << "set xlabel 'battle time (s)'\nset ylabel 'chance to win (%)'\n"
         "set key outside bottom center horizontal\n"
         "set style fill transparent solid 0.2 noborder\n";
    int object = 1;
    for (int wave = kReinforcementFrames; secondsOf(wave) <= right; wave += kReinforcementFrames) {
        s << "set arrow " << object << " from " << secondsOf(wave) << ", graph 0 to " << secondsOf(wave)
          << ", graph 1 nohead dt 3 lc rgb '#808080'\n"
          << "set label " << object << " 'wave' at " << secondsOf(wave) << ", graph 0.97 offset 0.5,0 tc rgb '#606060'\n";
        ++object;
    }
    if (course.endFrame > 0 && (course.winner == kRedTeam || course.winner == kBlueTeam)) {
        s << "set arrow " << object << " from " << secondsOf(course.endFrame) << ", graph 0 to "
          << secondsOf(course.endFrame) << ", graph 1 nohead dt 2 lw 1.5 lc rgb '" << colour[course.winner] << "'\n"
          << "set label " << object << " '" << kTeamNames[course.winner] << " won, " << momentText(course.endFrame)
          << "' at " << secondsOf(course.endFrame) << ", graph 0.5 right offset -0.5,0 tc rgb '"
          << colour[course.winner] << "'\n";
        ++object;
    }
    double row = 0.08;
    for (const TurningPoint& point : course.turningPoints) {
        s << "set arrow " << object << " from " << secondsOf(point.frame) << ", " << point.before << " to "
          << secondsOf(point.until) << ", " << point.after << " lw 2 lc rgb '#303030'\n"
          << "set label " << object << " \"" << turningPointText(point) << "\" at " << secondsOf(point.frame)
          << ", graph " << row << " offset 0.5,0\n";
        row += 0.06;
        ++object;
    }
    const bool band = course.moments.size() > 1;
    s << "plot ";
    for (int team = 0; team < kSides; ++team) {
        const int column = 2 + 3 * team;
        s << (team == 0 ? "$odds" : ", ''") << " using 1:" << column + 1 << ":" << column + 2
          << (band ? " with filledcurves" : " with yerrorbars") << " lc rgb '" << colour[team] << "' title '"
          << kTeamNames[team] << ", 95% interval'"
          << ", '' using 1:" << column << " with linespoints lw 2 pt 7 ps 0.6 lc rgb '" << colour[team] << "' title '"
          << kTeamNames[team] << "'";
    }
    s << "\n";
    return s.str();
}

bool drawOddsCourse(const OddsCourse& course, OutputFile& png, std::string& error)
{
    return drawWithGnuplot(oddsCourseScript(course), {{"$odds", oddsCourseData(course)}}, png, error);
}

bool drawReliability(const Calibration& calibration, OutputFile& png, std::string& error)
{
    // Per bin: the mean chance given, the share that came true, the count.
    const ForecastScore* scores[] = {&calibration.allOdds(), &calibration.allBaseline()};
    std::vector<std::string> blocks;
    for (const ForecastScore* score : scores) {
        std::ostringstream block;
        for (int b = 0; b < ForecastScore::kBins; ++b) {
            const ForecastScore::Bin& bin = score->bin(b);
            if (bin.count > 0) block << 100 * bin.meanForecast() << ' ' << 100 * bin.shareTrue() << ' ' << bin.count << '\n';
        }
        if (block.str().empty()) block << "50 NaN 0\n";  // gnuplot refuses an empty data block
        blocks.push_back(block.str());
    }
    std::ostringstream s;
    s << "set terminal pngcairo size 800,800 font 'sans,10'\n"
         "set output\n"
         "set grid\n"
         "set size square\n"
         "set xrange [0:100]\nset yrange [0:100]\n"
      << "set title \"Reliability of red's chance to win: " << calibration.battles() << " battles, "
      << calibration.allOdds().count() << " forecasts scored, " << calibration.rollouts()
      << " rollouts a moment\\n(points: bins of a tenth, labelled with their counts)\"\n"
      << "set xlabel 'the chance given (%)'\nset ylabel 'the share that came true (%)'\n"
         "set key top left\n"
         "plot x with lines dt 2 lc rgb '#808080' title 'a forecast to trust', \\\n"
         "  $odds using 1:2 with linespoints lw 2 pt 7 lc rgb '#202020' title 'the odds', \\\n"
         "  '' using 1:2:3 with labels offset 0,1 notitle, \\\n"
         "  $alive using 1:2 with linespoints lw 2 pt 5 lc rgb '#b07000' title 'the share of units alive', \\\n"
         "  '' using 1:2:3 with labels offset 0,-1 tc rgb '#b07000' notitle\n";
    return drawWithGnuplot(s.str(), {{"$odds", blocks[0]}, {"$alive", blocks[1]}}, png, error);
}
