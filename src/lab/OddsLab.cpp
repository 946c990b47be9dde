#include "lab/OddsLab.h"

#include <signal.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "cli/OutputFile.h"
#include "cli/ProgressBar.h"
#include "cli/StopSignals.h"
#include "game/Battle.h"
#include "game/Moment.h"
#include "game/Rollout.h"
#include "game/TurningPoints.h"
#include "lab/Calibration.h"
#include "lab/Format.h"
#include "lab/Lab.h"
#include "lab/LabOptions.h"
#include "lab/OddsChart.h"
#include "lab/OddsJobs.h"
#include "world/Battlefield.h"

namespace {

const char* const kTeamNames[kSides] = {"red", "blue"};
constexpr int kFramesBetweenLooks = 1000;  // at the stop request, while a battle is played on

bool stopRequested()
{
    return StopSignals::caught() != 0;
}

// How a battle ended when played on, nobody watching, to the fall of a base or to a frame.
struct RealEnd {
    int winner = kNoTeam;
    int endFrame = 0;  // the frame a base fell in; 0 when none did
};

// Plays the battle on until its time is `frame` or it is over. False when stopped on the way.
bool playTo(Battle& battle, int frame)
{
    for (int n = 0; Timeline::frameOf(battle) < frame && !battle.over(); ++n) {
        if (n % kFramesBetweenLooks == 0 && stopRequested()) return false;
        battle.frame();
    }
    return true;
}

// Ends with a stop when stopped on the way.
bool playToEnd(const UnitCounts& counts, unsigned seed, int until, RealEnd& end)
{
    Battle battle(counts, seed);
    battle.setWatched(false);
    if (!playTo(battle, until)) return false;
    end.winner = rolloutWinner(battle);
    end.endFrame = battle.over() ? battle.endPass() : 0;
    return true;
}

// The line of the odds of one moment of a battle, in the style of the battles' lines.
std::string oddsLine(unsigned seed, const UnitCounts& counts, const OddsCounts& odds, const AliveSample& alive,
                     const RealEnd& end)
{
    std::string line = "{\"seed\": " + std::to_string(seed);
    for (const CountField& field : kCountFields) {
        line += ", \"" + std::string(field.json) + "\": " + std::to_string(counts.*field.member);
    }
    line += format(", \"frame\": %d, \"rollouts\": %d, \"red\": %d, \"blue\": %d, \"unfinished\": %d", odds.frame,
                   odds.rollouts, odds.red, odds.blue, odds.unfinished);
    line += format(", \"alive\": {\"red\": %d, \"blue\": %d}", alive.units[kRedTeam], alive.units[kBlueTeam]);
    if (end.winner == kNoTeam) return line + ", \"winner\": \"none\", \"end_frame\": null}";
    return line + format(", \"winner\": \"%s\", \"end_frame\": %d}", kTeamNames[end.winner], end.endFrame);
}

// "1:35.2 (frame 5712)"
std::string momentAndFrame(int frame)
{
    return momentText(frame) + " (frame " + std::to_string(frame) + ")";
}

std::string chanceText(const OddsCounts& odds, int team)
{
    const WilsonInterval w = odds.chance(team);
    return format("%5.1f%%  %5.1f%% to %5.1f%%", 100 * w.share, 100 * w.low, 100 * w.high);
}

// The outputs of a run of the odds, written as the rest of the lab writes its own: the lines
// of --out as they come, the text to standard output (or standard error when --out or --plot
// take standard output), the chart of --plot at the end.
class OddsOutputs {
public:
    OddsOutputs(const LabOptions& options, std::FILE* out, std::FILE* err)
        : options_(options),
          out_(out),
          err_(err),
          linesToOut_(toStandardOutput(options.outPath, out)),
          chartToOut_(toStandardOutput(options.plotPath, out))
    {
    }

    int open()
    {
        if (const int status = linesToOut_ ? 0 : openOutput(lines_, options_.outPath, out_, err_)) return status;
        return openOutput(chart_, options_.plotPath, out_, err_);
    }

    std::FILE* err() const { return err_; }
    // The progress bar is kept off a terminal that lines are printed on.
    bool barWanted() const { return !(linesToOut_ && isPipe(out_)); }
    bool failed() const { return !error_.empty(); }

    void line(const std::string& line)
    {
        if (options_.outPath.empty() || failed()) return;
        std::string reason;
        const bool written = linesToOut_ ? writeWhole(out_, line + "\n", reason) : lines_.write(line + "\n", reason);
        if (!written) error_ = "cannot write " + (linesToOut_ ? "standard output" : options_.outPath) + ": " + reason;
    }

    void text(const std::string& text)
    {
        std::string reason;
        if (!failed() && !print(linesToOut_ || chartToOut_ ? err_ : out_, text, reason)) {
            error_ = "cannot write the odds: " + reason;
        }
    }

    // Commits the lines and says how the run ended: interrupted after done of total (in
    // unit), or else draws the chart. Gives the exit status.
    int finish(bool interrupted, const std::string& done, const std::function<bool(OutputFile&, std::string&)>& draw)
    {
        std::string reason;
        if (!failed() && lines_.isOpen() && !lines_.commit(reason)) {
            error_ = "cannot write " + options_.outPath + ": " + reason;
        }
        if (failed()) return complain(err_, error_, kStatusFailed);
        if (interrupted) return complain(err_, "interrupted: " + done, StopSignals::exitStatus());
        if (!chart_.isOpen()) return 0;
        StopSignals::endAtOnce("battle-lab: interrupted: the chart was not drawn\n");
        const bool drawn = StopSignals::caught() == 0 && draw(chart_, reason);
        return commitChart(chart_, options_.plotPath, drawn, reason, err_);
    }

    void discardUnfinished()
    {
        lines_.discard();
        chart_.discard();
    }

private:
    const LabOptions& options_;
    std::FILE* out_;
    std::FILE* err_;
    bool linesToOut_;
    bool chartToOut_;
    OutputFile lines_;
    OutputFile chart_;
    std::string error_;  // a write failed: the run ends at once
};

// Plays the odds of one moment: false when the run must end (stopped, or the jobs failed,
// which failure says).
bool oddsOf(OddsJobs& jobs, const Battle& battle, int rollouts, OddsCounts& odds, ProgressBar& progress, int done,
            std::string& failure)
{
    const OddsJobs::Result result = jobs.run(battle, rollouts, odds, [&](int) { progress.update(done); });
    if (result == OddsJobs::Result::kFailed) failure = jobs.failure();
    return result == OddsJobs::Result::kDone;
}

int oddsOfOneBattle(const LabOptions& options, OddsOutputs& io)
{
    const OddsOptions& asked = options.odds;
    const unsigned seed = *asked.seed;
    std::vector<int> moments = asked.moments();
    RealEnd end;
    const int until = std::max(kRolloutHorizon, moments.empty() ? 0 : moments.back());
    if (!playToEnd(options.counts, seed, until, end)) return io.finish(true, "before the first moment", nullptr);
    if (asked.every > 0) {
        const int last = end.endFrame > 0 ? end.endFrame : kRolloutHorizon;
        for (long long frame = 0; frame < last; frame += asked.every) moments.push_back(static_cast<int>(frame));
        moments.push_back(last);
        std::sort(moments.begin(), moments.end());
        moments.erase(std::unique(moments.begin(), moments.end()), moments.end());
    }

    io.text(format("the odds of the battle of seed %u, %s a moment: ", seed,
                   counted(asked.rollouts, "rollout", "rollouts").c_str()) +
            (end.endFrame > 0 ? format("%s won, at ", kTeamNames[end.winner]) + momentAndFrame(end.endFrame)
                              : "no base fell by " + momentAndFrame(until)) +
            "\nmoment         frame     red  95% interval        blue  95% interval      unfinished\n");
    OddsCourse course{seed, asked.rollouts, {}, end.winner, end.endFrame, until, {}};
    Battle battle(options.counts, seed);
    battle.setWatched(false);
    OddsJobs jobs(options.jobs, stopRequested);
    ProgressBar progress(io.err(), static_cast<int>(moments.size()), "moments", io.barWanted());
    std::string failure;
    bool stopped = false;
    for (const int moment : moments) {
        OddsCounts odds;
        if (!playTo(battle, moment) ||
            !oddsOf(jobs, battle, asked.rollouts, odds, progress, static_cast<int>(course.moments.size()), failure)) {
            stopped = true;
            break;
        }
        odds.frame = moment;
        course.moments.push_back(odds);
        progress.clear();
        io.line(oddsLine(seed, options.counts, odds, aliveOf(battle.field()), end));
        io.text(format("%-10s %9d  %s  %s  %10d%s\n", momentText(moment).c_str(), moment, chanceText(odds, kRedTeam).c_str(),
                       chanceText(odds, kBlueTeam).c_str(), odds.unfinished, battle.over() ? "  (over)" : ""));
        if (io.failed()) break;
        progress.update(static_cast<int>(course.moments.size()));
    }
    progress.clear();
    if (!jobs.shortOfJobs().empty()) {
        std::fprintf(io.err(), "battle-lab: %s; the rollouts were played by fewer\n", jobs.shortOfJobs().c_str());
    }
    if (!failure.empty()) return complain(io.err(), failure, kStatusFailed);
    course.turningPoints = turningPoints(course.moments);
    std::string points;
    for (const TurningPoint& point : course.turningPoints) points += (points.empty() ? "" : ", ") + turningPointText(point);
    io.text("turning points: " + (points.empty() ? std::string("none") : points) + "\n");
    return io.finish(stopped,
                     std::to_string(course.moments.size()) + " of " + counted(moments.size(), "moment", "moments") +
                         " finished",
                     [&course](OutputFile& png, std::string& error) { return drawOddsCourse(course, png, error); });
}

int calibrate(const LabOptions& options, OddsOutputs& io)
{
    const OddsOptions& asked = options.odds;
    const std::vector<int> moments = asked.moments();
    Calibration calibration(moments, asked.rollouts);
    OddsJobs jobs(options.jobs, stopRequested);
    ProgressBar progress(io.err(), options.battles, "battles", io.barWanted());
    std::string failure;
    bool stopped = false;
    for (int b = 0; b < options.battles && !stopped && !io.failed(); ++b) {
        const unsigned seed = options.firstSeed + static_cast<unsigned>(b);
        RealEnd end;
        stopped = !playToEnd(options.counts, seed, kRolloutHorizon, end);
        Battle battle(options.counts, seed);
        battle.setWatched(false);
        std::string lines;
        std::vector<std::pair<OddsCounts, AliveSample>> taken;
        for (size_t m = 0; m < moments.size() && !stopped; ++m) {
            OddsCounts odds;
            stopped = !playTo(battle, moments[m]) || !oddsOf(jobs, battle, asked.rollouts, odds, progress, b, failure);
            if (stopped) break;
            odds.frame = moments[m];
            const AliveSample alive = aliveOf(battle.field());
            calibration.add(m, odds, alive, battle.over(), end.winner);
            lines += oddsLine(seed, options.counts, odds, alive, end) + (m + 1 < moments.size() ? "\n" : "");
        }
        if (stopped) break;  // a battle with some of its moments is left out whole
        calibration.addBattle(end.winner);
        progress.clear();
        io.line(lines);
        progress.update(b + 1);
    }
    progress.clear();
    if (!jobs.shortOfJobs().empty()) {
        std::fprintf(io.err(), "battle-lab: %s; the rollouts were played by fewer\n", jobs.shortOfJobs().c_str());
    }
    if (!failure.empty()) return complain(io.err(), failure, kStatusFailed);
    io.text(calibration.report());
    return io.finish(stopped,
                     std::to_string(calibration.battles()) + " of " +
                         counted(options.battles, "battle", "battles") + " finished",
                     [&calibration](OutputFile& png, std::string& error) {
                         return drawReliability(calibration, png, error);
                     });
}

}  // namespace

int runOdds(const LabOptions& options, std::FILE* out, std::FILE* err)
{
    if (const int status = refuseUpFront(options, out, err)) return status;
    OddsOutputs io(options, out, err);
    // As a run of battles: while the outputs open (a FIFO waits for its reader) there is nothing
    // to keep, and the first stop signal ends the lab at once with the part files opened so far.
    const StopSignals stopSignals;
    struct Release {
        const StopSignals& signals;
        ~Release() { signals.release(); }
    } release{stopSignals};
    stopSignals.catchThem();
    StopSignals::endAtOnce("battle-lab: interrupted\n");
    if (const int status = io.open()) return status;
    // From here Ctrl-C, SIGTERM and SIGHUP stop the run between frames, keeping the moments
    // finished; a second one ends it at once. Held back while the handling changes.
    sigset_t stops, before;
    sigemptyset(&stops);
    for (int stop : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, stop);
    sigprocmask(SIG_BLOCK, &stops, &before);
    stopSignals.release();
    stopSignals.catchThem();
    sigprocmask(SIG_SETMASK, &before, nullptr);
    std::fflush(out);
    std::fflush(err);
    const int status = options.odds.odds ? oddsOfOneBattle(options, io) : calibrate(options, io);
    io.discardUnfinished();
    return status;
}
