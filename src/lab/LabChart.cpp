#include "lab/LabChart.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "cli/OutputFile.h"
#include "lab/LabSummary.h"
#include "units/Entity.h"

namespace {

constexpr double kWantedBins = 20;
constexpr double kLowQuantile = 0.1;
constexpr double kHighQuantile = 0.9;
const char* const kTeamNames[kSides] = {"red", "blue"};

std::string hexColour(int team)
{
    const Colour c = teamColour(team);
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

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

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file.flush());
}

bool copyInto(const std::string& from, OutputFile& to, std::string& error)
{
    std::ifstream in(from, std::ios::binary);
    std::ostringstream bytes;
    if (in.is_open()) bytes << in.rdbuf();
    if (bytes.str().empty()) {
        error = "gnuplot wrote no chart";
        return false;
    }
    if (!to.write(bytes.str(), error)) {
        error = "cannot write " + to.target() + ": " + error;
        return false;
    }
    return true;
}

// Runs gnuplot on the script in folder; its messages go to gnuplot.log there.
bool runGnuplot(const std::string& folder, std::string& error)
{
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::string("cannot start gnuplot: ") + std::strerror(errno);
        return false;
    }
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        std::FILE* log = std::freopen("gnuplot.log", "w", stderr);
        if (log == nullptr) _exit(126);
        execlp("gnuplot", "gnuplot", "chart.gp", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
        error = "gnuplot is not installed (scripts/install-deps installs it)";
        return false;
    }
    std::ifstream log(folder + "/gnuplot.log");
    std::string first, line;
    while (std::getline(log, line)) {
        if (line.find_first_not_of(" \t^") != std::string::npos) first = line;  // gnuplot's message is last
    }
    error = "gnuplot failed" + (first.empty() ? std::string() : ": " + first);
    return false;
}

void removeFolder(const std::string& folder)
{
    for (const char* name : {"alive.dat", "lengths.dat", "chart.gp", "chart.png", "gnuplot.log"}) {
        std::remove((folder + "/" + name).c_str());
    }
    rmdir(folder.c_str());
}

}  // namespace

bool programOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

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
    const std::string red = hexColour(0), blue = hexColour(1);

    std::ostringstream s;
    s << "set terminal pngcairo size 1000,800 font 'sans,10'\n"
         "set output 'chart.png'\n"
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
         "plot 'alive.dat' using 1:3:4 with filledcurves lc rgb '"
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
             "plot 'lengths.dat' using 1:2 with boxes lc rgb '#707070'\n";
    }
    s << "unset multiplot\n";
    return s.str();
}

bool LabChart::draw(OutputFile& png, std::string& error) const
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/battle-lab.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        error = std::string("cannot make a temporary folder: ") + std::strerror(errno);
        return false;
    }
    const std::string folder = pattern;

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

    bool ok = writeFile(folder + "/alive.dat", alive.str()) && writeFile(folder + "/lengths.dat", lengths.str()) &&
              writeFile(folder + "/chart.gp", script());
    if (!ok) error = "cannot write the chart's data in " + folder;
    ok = ok && runGnuplot(folder, error) && copyInto(folder + "/chart.png", png, error);
    removeFolder(folder);
    return ok;
}
