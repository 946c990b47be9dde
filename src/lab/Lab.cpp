#include "lab/Lab.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "lab/BattleJobs.h"
#include "lab/LabChart.h"
#include "lab/LabOptions.h"
#include "lab/LabSummary.h"
#include "cli/ProgressBar.h"

namespace {

constexpr int kStatusFailed = 1;
constexpr int kStatusUsage = 2;
constexpr int kStatusInterrupted = 130;  // 128 + SIGINT, as a shell reports it

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int)
{
    interrupted = 1;
}

int complain(std::FILE* err, const std::string& message, int status)
{
    std::fprintf(err, "battle-lab: %s\n", message.c_str());
    return status;
}

// Whole lines in one write, so that nothing stopped between two writes leaves half a line.
bool writeLines(std::FILE* stream, const std::string& lines)
{
    if (lines.empty()) return true;
    if (std::fflush(stream) != 0) return false;
    size_t done = 0;
    while (done < lines.size()) {
        const ssize_t n = write(fileno(stream), lines.data() + done, lines.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool isPipe(std::FILE* stream)
{
    struct stat info {};
    return fstat(fileno(stream), &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
}

// Whether a file could be written, without creating it before there is something to put in.
bool canWrite(const std::string& path)
{
    if (access(path.c_str(), F_OK) == 0) return access(path.c_str(), W_OK) == 0;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

bool readOutcomes(const std::string& path, std::vector<BattleOutcome>& outcomes, std::string& error)
{
    std::ifstream file;
    std::istream* in = &std::cin;
    if (path != "-") {
        file.open(path);
        if (!file) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        in = &file;
    }
    std::string line;
    for (long number = 1; std::getline(*in, line); ++number) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        BattleOutcome outcome;
        std::string problem;
        if (!parseOutcomeLine(line, outcome, problem)) {
            error = path + ":" + std::to_string(number) + ": not a battle line: " + problem;
            return false;
        }
        outcomes.push_back(outcome);
    }
    if (in->bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

int summarizeFiles(const LabOptions& options, std::FILE* out, std::FILE* err)
{
    std::vector<BattleOutcome> outcomes;
    for (const std::string& path : options.files) {
        std::string error;
        if (!readOutcomes(path, outcomes, error)) return complain(err, error, kStatusUsage);
    }
    // Overlapping seed ranges count some battles twice; say so, but sum up what was given.
    std::map<std::string, int> seen;
    int repeated = 0;
    for (const BattleOutcome& o : outcomes) {
        BattleOutcome key = o;
        key.winner = kNoWinner;
        key.endFrame = 0;
        key.left = ArmyCount();
        if (++seen[outcomeLine(key)] == 2) ++repeated;
    }
    if (repeated > 0) {
        std::fprintf(err, "battle-lab: warning: %d battles (same seed and counts) appear more than once\n", repeated);
    }
    std::fputs(formatSummary(LabSummary(outcomes)).c_str(), out);
    return 0;
}

// Lines in seed order: a line waits until every battle before it has reported.
class OrderedLines {
public:
    OrderedLines(std::FILE* stream, int battles) : stream_(stream), lines_(battles) {}

    bool add(int index, std::string line)
    {
        lines_[index] = std::move(line);
        std::string ready;
        while (next_ < lines_.size() && lines_[next_]) {
            ready += *lines_[next_] + '\n';
            lines_[next_++].reset();
        }
        return write(ready);
    }

    // After an interruption: every finished line left, still in seed order.
    bool flushFinished()
    {
        std::string rest;
        for (; next_ < lines_.size(); ++next_) {
            if (lines_[next_]) rest += *lines_[next_] + '\n';
        }
        return write(rest);
    }

private:
    bool write(const std::string& lines) { return stream_ == nullptr || writeLines(stream_, lines); }

    std::FILE* stream_;
    std::vector<std::optional<std::string>> lines_;
    size_t next_ = 0;
};

int playBattles(const LabOptions& options, std::FILE* out, std::FILE* err)
{
    // Everything that can be refused is refused before any file is touched.
    if (!options.plotPath.empty()) {
        if (!programOnPath("gnuplot"))
            return complain(err, "--plot needs gnuplot, which is not installed", kStatusUsage);
        if (!canWrite(options.plotPath)) {
            return complain(err, "cannot write " + options.plotPath + ": " + std::strerror(errno), kStatusUsage);
        }
    }
    std::FILE* lines = nullptr;
    std::FILE* linesFile = nullptr;
    if (options.outPath == "-") {
        lines = out;
    } else if (!options.outPath.empty()) {
        linesFile = std::fopen(options.outPath.c_str(), "w");
        if (linesFile == nullptr) {
            return complain(err, "cannot write " + options.outPath + ": " + std::strerror(errno), kStatusUsage);
        }
        lines = linesFile;
    }
    std::FILE* summaryStream = options.outPath == "-" ? err : out;
    const auto closeLines = [&] {
        if (linesFile != nullptr && std::fclose(linesFile) != 0) return false;
        linesFile = nullptr;
        return true;
    };

    BattlePlan plan;
    plan.counts = options.counts;
    plan.firstSeed = options.firstSeed;
    plan.battles = options.battles;
    plan.jobs = options.jobs;
    plan.maxFrames = options.maxFrames;
    plan.sampleAlive = !options.plotPath.empty();

    std::fflush(out);
    std::fflush(err);
    interrupted = 0;
    struct sigaction handler {};
    struct sigaction previous {};
    handler.sa_handler = onInterrupt;
    sigemptyset(&handler.sa_mask);
    sigaction(SIGINT, &handler, &previous);

    // Lines piped on to another program would be printed in the middle of the bar.
    ProgressBar progress(err, options.battles, "battles", !(lines == out && isPipe(out)));
    OrderedLines ordered(lines, options.battles);
    std::vector<BattleOutcome> outcomes;
    LabChart chart;
    std::string failure;
    bool writeFailed = false;
    BattleJobs jobs(plan, interrupted);
    const BattleJobs::Result result = jobs.run(
        [&](FinishedBattle&& battle) {
            BattleOutcome outcome;
            std::string problem;
            if (!parseOutcomeLine(battle.line, outcome, problem)) {
                if (failure.empty()) failure = "a job sent a broken line: " + problem;
                return;
            }
            outcomes.push_back(outcome);
            if (plan.sampleAlive) chart.add(outcome, battle.alive);
            if (lines == out) progress.clear();
            writeFailed = !ordered.add(battle.index, std::move(battle.line)) || writeFailed;
            progress.update(static_cast<int>(outcomes.size()));
        },
        [&] { progress.update(static_cast<int>(outcomes.size())); });
    sigaction(SIGINT, &previous, nullptr);
    progress.clear();

    writeFailed = !ordered.flushFinished() || writeFailed;
    writeFailed = !closeLines() || writeFailed;
    std::fputs(formatSummary(LabSummary(outcomes)).c_str(), summaryStream);
    std::fflush(summaryStream);

    if (writeFailed) return complain(err, "cannot write the lines to " + options.outPath, kStatusFailed);
    if (result == BattleJobs::Result::kInterrupted) {
        return complain(err,
                        "interrupted: " + std::to_string(outcomes.size()) + " of " + std::to_string(options.battles) +
                            " battles finished",
                        kStatusInterrupted);
    }
    if (result == BattleJobs::Result::kFailed) return complain(err, jobs.failure(), kStatusFailed);
    if (!failure.empty()) return complain(err, failure, kStatusFailed);
    if (!options.plotPath.empty()) {
        std::string problem;
        if (!chart.draw(options.plotPath, problem)) return complain(err, problem, kStatusFailed);
    }
    return 0;
}

}  // namespace

int runLab(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    LabOptions options;
    std::string error;
    if (!parseLabOptions(argc, argv, options, error)) return complain(err, error, kStatusUsage);
    if (options.help) {
        std::fputs(labUsage().c_str(), out);
        return 0;
    }
    return options.summarize ? summarizeFiles(options, out, err) : playBattles(options, out, err);
}
