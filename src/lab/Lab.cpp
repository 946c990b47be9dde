#include "lab/Lab.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/OutputFile.h"
#include "cli/ProgressBar.h"
#include "cli/StopSignals.h"
#include "game/UnitCounts.h"
#include "lab/BattleJobs.h"
#include "lab/Format.h"
#include "lab/Gnuplot.h"
#include "lab/LabChart.h"
#include "lab/LabOptions.h"
#include "lab/LabSummary.h"
#include "lab/LineReader.h"
#include "lab/Study.h"
#include "lab/StudyMerge.h"
#include "lab/SweepSummary.h"

namespace {

constexpr int kStatusFailed = 1;
constexpr int kStatusUsage = 2;

int complain(std::FILE* err, const std::string& message, int status)
{
    std::fprintf(err, "battle-lab: %s\n", message.c_str());
    std::fflush(err);
    return status;
}

// Started with standard output closed: what is meant for it would be lost without a word.
int outputClosed(std::FILE* err)
{
    return complain(err, std::string("cannot write to standard output: ") + std::strerror(EBADF), kStatusFailed);
}

// Text printed in full, or the reason it could not be.
bool print(std::FILE* stream, const std::string& text, std::string& error)
{
    if (std::fputs(text.c_str(), stream) >= 0 && std::fflush(stream) == 0) return true;
    error = std::strerror(errno);
    return false;
}

// Whole lines in one write, so that nothing stopped between two writes leaves half a line.
bool writeWhole(std::FILE* stream, const std::string& lines, std::string& error)
{
    if (lines.empty()) return true;
    if (std::fflush(stream) != 0) {
        error = std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < lines.size()) {
        const ssize_t n = write(fileno(stream), lines.data() + done, lines.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = std::strerror(n < 0 ? errno : EIO);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool isPipe(std::FILE* stream)
{
    struct stat info {};
    return fstat(fileno(stream), &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
}

// Whether an output named so goes to standard output: "-", or a name for the file standard
// output already leads to (/dev/stdout, or the file the shell sent it to). Written as a file of
// its own, such a name would replace the file under what is printed there.
bool toStandardOutput(const std::string& path, std::FILE* out)
{
    return path == "-" || (!path.empty() && out != nullptr && OutputFile::sameFile(path, fileno(out)));
}

// Everything that can be refused is refused before any battle is played and any file touched.
int refuseUpFront(const LabOptions& options, std::FILE* out, std::FILE* err)
{
    if (out == nullptr) return outputClosed(err);
    if (options.plotPath.empty()) return 0;
    if (!programOnPath("gnuplot")) return complain(err, "--plot needs gnuplot, which is not on PATH", kStatusUsage);
    const bool plotToOut = toStandardOutput(options.plotPath, out);
    const bool linesToOut = toStandardOutput(options.outPath, out);
    if (plotToOut && linesToOut) {
        return complain(err, "--out and --plot both name standard output", kStatusUsage);
    }
    if (plotToOut && isatty(fileno(out))) {
        return complain(err, "--plot " + options.plotPath + ": standard output is a terminal, not a place for a PNG",
                        kStatusUsage);
    }
    if (!options.outPath.empty() && !linesToOut && !plotToOut &&
        OutputFile::samePlace(options.outPath, options.plotPath)) {
        return complain(err, "--out and --plot name the same file, " + options.plotPath, kStatusUsage);
    }
    return 0;
}

// An output that is one of the files being summed up would be written over them: refused
// (device and inode compared, so links and other spellings of a name count too). Only a
// regular file holds data to lose: a terminal may well be standard input and output at once.
int refuseInputsAsOutputs(const LabOptions& options, std::FILE* out, std::FILE* err)
{
    struct stat shown {};
    const bool outFile = fstat(fileno(out), &shown) == 0 && S_ISREG(shown.st_mode);
    struct stat chart {};
    const bool chartFile = !options.plotPath.empty() && !toStandardOutput(options.plotPath, out) &&
                           stat(options.plotPath.c_str(), &chart) == 0 && S_ISREG(chart.st_mode);
    for (const std::string& path : options.files) {
        struct stat input {};
        const bool standardInput = path == "-";
        if ((standardInput ? fstat(STDIN_FILENO, &input) : stat(path.c_str(), &input)) != 0) continue;
        const std::string name = standardInput ? "standard input" : path;
        const auto same = [&input](const struct stat& output) {
            return output.st_dev == input.st_dev && output.st_ino == input.st_ino;
        };
        if (chartFile && same(chart)) {
            return complain(err, "--plot " + options.plotPath + " would write over " + name + ", one of the files to sum up",
                            kStatusUsage);
        }
        if (outFile && same(shown)) {
            return complain(err, "standard output goes to " + name + ", one of the files to sum up", kStatusUsage);
        }
    }
    return 0;
}

// Opens the file of --out or --plot (none for an empty path), or standard output for it: 0, or
// the exit status when it cannot be written.
int openOutput(OutputFile& file, const std::string& path, std::FILE* out, std::FILE* err)
{
    std::string error;
    if (path.empty()) return 0;
    const bool opened = toStandardOutput(path, out) ? file.openDescriptor(fileno(out), "standard output", error)
                                                     : file.open(path, error);
    return opened ? 0 : complain(err, "cannot write " + path + ": " + error, kStatusUsage);
}

// Gives the chart its name once drawn: 0, or the exit status when it was not drawn (drawError
// says why) or cannot be written. Stopped while gnuplot drew: no chart, as for a stop during
// the battles.
int commitChart(OutputFile& chart, const std::string& path, bool drawn, const std::string& drawError, std::FILE* err)
{
    if (StopSignals::caught() != 0) {
        return complain(err, "interrupted: the chart was not drawn", StopSignals::exitStatus());
    }
    if (!drawn) return complain(err, drawError, kStatusFailed);
    std::string error;
    if (!chart.commit(error)) return complain(err, "cannot write " + path + ": " + error, kStatusFailed);
    return 0;
}

// Reads the lines of every file into the summary, checked by merge: 0, or the exit status
// when a file cannot be read or its lines cannot be summed up. The files without a battle line
// are named in empty (a shard that failed would drop out of a merge unnoticed).
int readLines(const std::vector<std::string>& files, StudyMerge& merge, SweepSummary& summary,
              std::vector<std::string>& empty, std::FILE* err)
{
    for (const std::string& path : files) {
        bool any = false;  // battle line
        LineReader reader;
        std::string error;
        if (!reader.open(path, error)) return complain(err, error, kStatusUsage);
        std::string line;
        for (LineReader::Result result; (result = reader.next(line)) != LineReader::Result::kEnd;) {
            const std::string place = reader.name() + ":" + std::to_string(reader.lineNumber());
            if (result == LineReader::Result::kFailed) return complain(err, reader.error(), kStatusUsage);
            if (result == LineReader::Result::kTooLong) {
                return complain(err,
                                place + ": not a battle line: longer than " +
                                    std::to_string(LineReader::kLongestLine) + " bytes",
                                kStatusUsage);
            }
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            BattleOutcome outcome;
            std::optional<StudyTag> study;
            if (!parseOutcomeLine(line, outcome, study, error)) {
                return complain(err, place + ": not a battle line: " + error, kStatusUsage);
            }
            bool count = false;
            if (!merge.take(outcome, study, place, count, error)) return complain(err, error, kStatusUsage);
            if (count) summary.add(outcome);
            any = true;
        }
        if (!any) empty.push_back(reader.name());
    }
    return 0;
}

int summarizeFiles(const LabOptions& options, std::FILE* out, std::FILE* err)
{
    if (const int status = refuseUpFront(options, out, err)) return status;
    if (const int status = refuseInputsAsOutputs(options, out, err)) return status;
    // Nothing is kept of a summary stopped half-way: the first stop signal ends it at once,
    // wherever it waits, with gnuplot and the chart's part file.
    const StopSignals stopSignals;
    stopSignals.catchThem();
    StopSignals::endAtOnce("battle-lab: interrupted\n");
    struct Release {
        const StopSignals& signals;
        ~Release() { signals.release(); }
    } release{stopSignals};

    StudyMerge merge;
    SweepSummary summary;
    std::vector<std::string> empty;
    if (const int status = readLines(options.files, merge, summary, empty, err)) return status;
    if (merge.battles() == 0) {
        const std::string where = options.files.size() == 1
                                      ? (options.files.front() == "-" ? "standard input" : options.files.front())
                                      : "any of the " + std::to_string(options.files.size()) + " files";
        return complain(err, "no battle line in " + where, kStatusUsage);
    }
    for (const std::string& name : empty) std::fprintf(err, "battle-lab: warning: no battle line in %s\n", name.c_str());
    for (const std::string& warning : merge.warnings()) std::fprintf(err, "battle-lab: %s\n", warning.c_str());
    summary.sweepOf(merge.variedCounts().value_or(std::vector<int>()));

    std::string error;
    if (!options.plotPath.empty() && !summary.chartable()) {
        return complain(err,
                        "--plot with --summarize draws the chart of a sweep of one or two counts with several "
                        "values; these lines are not one",
                        kStatusUsage);
    }
    OutputFile chart;
    if (const int status = openOutput(chart, options.plotPath, out, err)) return status;
    const bool chartToOut = toStandardOutput(options.plotPath, out);
    if (!print(chartToOut ? err : out, formatSweepSummary(summary), error)) {
        return complain(err, "cannot write the summary: " + error, kStatusFailed);
    }
    if (!chart.isOpen()) return 0;
    const bool drawn = drawSweepChart(summary, chart, error);
    return commitChart(chart, options.plotPath, drawn, error, err);
}

// Lines in seed order: a line waits until every battle before it has reported. The jobs start
// no battle far past the earliest one under way, so few lines ever wait.
class OrderedLines {
public:
    // Takes the line of battle index; gives the lines that are now in order.
    std::string add(int index, std::string line)
    {
        waiting_[index] = std::move(line);
        std::string ready;
        for (auto first = waiting_.begin(); first != waiting_.end() && first->first == next_;
             first = waiting_.erase(first)) {
            ready += first->second + '\n';
            ++next_;
        }
        return ready;
    }

    // After an interruption: every finished line left, still in seed order.
    std::string rest()
    {
        std::string lines;
        for (const auto& [index, line] : waiting_) lines += line + '\n';
        waiting_.clear();
        return lines;
    }

private:
    std::map<int, std::string> waiting_;  // by battle
    int next_ = 0;                        // the battle whose line comes next
};

// One run of battles: its output files, what it has summed up, how it ends.
class LabRun {
public:
    LabRun(const LabOptions& options, const StudyTag& study, std::FILE* out, std::FILE* err)
        : options_(options),
          study_(study),
          out_(out),
          err_(err),
          linesToOut_(toStandardOutput(options.outPath, out)),
          chartToOut_(toStandardOutput(options.plotPath, out))
    {
        std::vector<int> varied;
        for (const Vary& vary : study.varies) varied.push_back(vary.count);
        summary_.sweepOf(varied);
    }

    // Opens the output files: 0, or the exit status of a file that cannot be written.
    int open()
    {
        if (const int status = linesToOut_ ? 0 : openOutput(linesFile_, options_.outPath, out_, err_)) return status;
        return openOutput(chartFile_, options_.plotPath, out_, err_);
    }

    // Plays the battles, writing each line as soon as the ones before it are in.
    BattleJobs::Result play(const BattlePlan& plan, BattleJobs& jobs)
    {
        planned_ = plan.study.battles();
        // The study, not what came back, says which chart: a shard of a sweep whose battles are
        // all of one army gets the sweep's chart, which drawSweepChart then refuses.
        sweep_ = plan.study.compositions() > 1;
        // Lines piped on to another program would be printed in the middle of the bar.
        ProgressBar progress(err_, planned_, "battles", !(linesToOut_ && isPipe(out_)));
        const BattleJobs::Result result = jobs.run(
            [&](FinishedBattle&& battle) {
                summary_.add(battle.outcome);
                if (plan.sampleAlive) chart_.add(battle.outcome, battle.alive);
                if (linesToOut_) progress.clear();
                if (!options_.outPath.empty()) {
                    writeLines(ordered_.add(battle.index, outcomeLine(battle.outcome, &study_)));
                }
                if (!writeError_.empty()) jobs.halt();
                progress.update(static_cast<int>(summary_.battles()));
            },
            [&] { progress.update(static_cast<int>(summary_.battles())); });
        progress.clear();
        return result;
    }

    // Writes what is left and the summary, says how the run ended and draws the chart of a
    // whole run. Gives the exit status.
    int finish(BattleJobs::Result result, const BattleJobs& jobs)
    {
        if (!jobs.shortOfJobs().empty()) {
            std::fprintf(err_, "battle-lab: %s; the battles were played by fewer\n", jobs.shortOfJobs().c_str());
        }
        std::string error;
        // A run that failed replaces nothing: an older file of --out or --plot stays as it was.
        if (result == BattleJobs::Result::kFailed && writeError_.empty()) {
            return complain(err_, jobs.failure(), kStatusFailed);
        }
        if (!options_.outPath.empty()) writeLines(ordered_.rest());
        if (writeError_.empty() && linesFile_.isOpen() && !linesFile_.commit(error)) {
            writeError_ = "cannot write " + options_.outPath + ": " + error;
        }
        if (!writeError_.empty()) return complain(err_, writeError_, kStatusFailed);
        if (!print(linesToOut_ || chartToOut_ ? err_ : out_, formatSweepSummary(summary_), error)) {
            return complain(err_, "cannot write the summary: " + error, kStatusFailed);
        }
        if (result == BattleJobs::Result::kInterrupted) {
            return complain(err_,
                            "interrupted: " + std::to_string(summary_.battles()) + " of " +
                                counted(planned_, "battle", "battles") + " finished",
                            StopSignals::exitStatus());
        }
        return chartFile_.isOpen() ? drawChart() : 0;
    }

    // Removes the part files of what was not committed, while the stop signals are still caught.
    void discardUnfinished()
    {
        linesFile_.discard();
        chartFile_.discard();
    }

private:
    void writeLines(const std::string& lines)
    {
        if (lines.empty() || !writeError_.empty()) return;
        std::string reason;
        const bool written = linesToOut_ ? writeWhole(out_, lines, reason) : linesFile_.write(lines, reason);
        if (!written)
            writeError_ = "cannot write " + (linesToOut_ ? "standard output" : options_.outPath) + ": " + reason;
    }

    int drawChart()
    {
        // The lines and the summary are out: nothing is left to keep, and the first stop
        // signal ends the drawing at once, gnuplot and the chart's part file with it.
        StopSignals::endAtOnce("battle-lab: interrupted: the chart was not drawn\n");
        std::string error;
        const bool drawn = StopSignals::caught() == 0 &&
                           (sweep_ ? drawSweepChart(summary_, chartFile_, error) : chart_.draw(chartFile_, error));
        return commitChart(chartFile_, options_.plotPath, drawn, error, err_);
    }

    const LabOptions& options_;
    const StudyTag study_;  // every line says so
    std::FILE* out_;
    std::FILE* err_;
    bool linesToOut_;         // --out -: the lines go to out, the summary to err
    bool chartToOut_;         // --plot -: the chart goes to out, the summary to err
    OutputFile linesFile_;    // --out FILE
    OutputFile chartFile_;    // --plot FILE.png
    OrderedLines ordered_;    // lines waiting for the ones before them
    SweepSummary summary_;    // of the battles finished, army by army
    LabChart chart_;          // of the battles finished, with --plot, when one army is studied
    bool sweep_ = false;      // several armies: the chart of a sweep
    int planned_ = 0;         // battles this run plays
    std::string writeError_;  // the lines could not be written: the run ends at once
};

int playBattles(const LabOptions& options, std::FILE* out, std::FILE* err)
{
    std::string error;
    BattlePlan plan{Study(options.counts, options.varies, options.firstSeed, options.battles, options.shard, error)};
    if (!error.empty()) return complain(err, error, kStatusUsage);
    if (const int status = refuseUpFront(options, out, err)) return status;
    const StudyTag study{options.maxFrames, options.firstSeed, options.battles, options.varies, options.shard};
    LabRun run(options, study, out, err);
    // The stop signals are caught before the first output is opened. While they are opened
    // (a FIFO waits for its reader) there is nothing to keep: the first signal ends the lab at
    // once, with the part files opened so far.
    const StopSignals stopSignals;
    struct Release {
        const StopSignals& signals;
        ~Release() { signals.release(); }
    } release{stopSignals};
    stopSignals.catchThem();
    StopSignals::endAtOnce("battle-lab: interrupted\n");
    if (const int status = run.open()) return status;
    // From here Ctrl-C, SIGTERM and SIGHUP stop the run the same way, keeping what finished; a
    // second one ends it at once. Held back while the handling changes, none is lost.
    sigset_t stops, before;
    sigemptyset(&stops);
    for (int stop : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, stop);
    sigprocmask(SIG_BLOCK, &stops, &before);
    stopSignals.release();
    stopSignals.catchThem();
    sigprocmask(SIG_SETMASK, &before, nullptr);

    plan.jobs = options.jobs;
    plan.maxFrames = options.maxFrames;
    // One army's chart follows the units alive; a sweep's needs only the outcomes.
    plan.sampleAlive = !options.plotPath.empty() && plan.study.compositions() == 1;

    std::fflush(out);
    std::fflush(err);
    BattleJobs jobs(plan, [] { return StopSignals::caught() != 0; });
    const int status = run.finish(run.play(plan, jobs), jobs);
    run.discardUnfinished();
    return status;
}


int runOptions(const LabOptions& options, std::FILE* out, std::FILE* err)
{
    std::string error;
    if (options.help || options.version) {
        if (out == nullptr) return outputClosed(err);
        if (!print(out, options.help ? labUsage() : labVersion(), error)) {
            return complain(err, "cannot write to standard output: " + error, kStatusFailed);
        }
        return 0;
    }
    return options.summarize ? summarizeFiles(options, out, err) : playBattles(options, out, err);
}

}  // namespace

int runLab(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    LabOptions options;
    std::string error;
    if (!parseLabOptions(argc, argv, options, error)) return complain(err, error, kStatusUsage);
    // A reader that went away is a write error like any other, with its reason and status 1.
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
    int status = kStatusFailed;
    try {
        status = runOptions(options, out, err);
    } catch (const std::bad_alloc&) {
        // The part files go as the run unwinds; the lab says why rather than aborting.
        status = complain(err, "out of memory", kStatusFailed);
    }
    sigaction(SIGPIPE, &previous, nullptr);
    return status;
}
