#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "lab/BattleOutcome.h"
#include "lab/Lab.h"
#include "lab/Gnuplot.h"
#include "lab/LabChart.h"

namespace {

// Small armies and a frame limit keep a run to a fraction of a second.
const std::vector<std::string> kSmallArmies = {"--max-frames", "2500", "30", "8", "6", "30", "8", "6"};

struct LabResult {
    int status = 0;
    std::string out;
    std::string err;
};

std::string readAll(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
    return text;
}

// outOpen false: as if the lab was started with standard output closed.
LabResult lab(std::vector<std::string> args, bool smallArmies = false, bool outOpen = true)
{
    if (smallArmies) args.insert(args.end(), kSmallArmies.begin(), kSmallArmies.end());
    std::vector<const char*> argv = {"battle-lab"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    LabResult run;
    run.status = runLab(static_cast<int>(argv.size()), argv.data(), outOpen ? out : nullptr, err);
    std::fflush(out);
    std::fflush(err);
    run.out = readAll(out);
    run.err = readAll(err);
    return run;
}

std::string fileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The lines without the study each names last: the same battle in two studies.
std::string withoutStudies(const std::string& lines)
{
    return std::regex_replace(lines, std::regex(", \"study\": \\{[^}]*\\}"), "");
}

class LabRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/battle-lab-test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }
    std::string path(const std::string& name) const { return folder_ + "/" + name; }

    // The names in the folder, sorted.
    std::vector<std::string> names() const
    {
        std::vector<std::string> found;
        DIR* folder = opendir(folder_.c_str());
        while (const dirent* entry = readdir(folder)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) found.push_back(entry->d_name);
        }
        closedir(folder);
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    std::string folder_;
};

}  // namespace

TEST_F(LabRunTest, BadInputGivesOneLineAndStatusTwo)
{
    std::ofstream(path("broken.jsonl")) << "{\"seed\": 1}\n";
    ASSERT_EQ(lab({"--battles", "2", "--out", path("one-army.jsonl")}, true).status, 0);
    mkdir(path("folder").c_str(), 0700);
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"--battles", "0"}, "--battles must be from 1 to 2147483647, got 0"},
        {{"--battles", "ten"}, "--battles needs a whole number from 1 to 2147483647, got 'ten'"},
        {{"--battles", "99999999999999999999999"},
         "--battles must be from 1 to 2147483647, got 99999999999999999999999"},
        {{"--battles=-3"}, "--battles needs a whole number from 1 to 2147483647, got '-3'"},
        {{"--jobs", "0"}, "--jobs must be from 1 to 1024, got 0"},
        {{"--jobs", "2x"}, "--jobs needs a whole number from 1 to 1024, got '2x'"},
        {{"--max-frames", "0"}, "--max-frames must be from 1 to 2147483647, got 0"},
        {{"--max-frames", ""}, "--max-frames needs a whole number from 1 to 2147483647, got ''"},
        {{"--first-seed", "4294967296"}, "--first-seed must be from 0 to 4294967295, got 4294967296"},
        {{"--first-seed", "4294967295", "--battles", "2"}, "the seeds 4294967295 to 4294967296 go past 4294967295"},
        {{"--battles"}, "--battles needs a value"},
        // A value never starts with --: that is the next option, not a file named after it.
        {{"--plot", "--battles", "3"}, "--plot needs a value"},
        {{"--out", "--jobs", "2"}, "--out needs a value"},
        {{"--battles", "--jobs", "2"}, "--battles needs a value"},
        {{"--plot", path("folder")}, "cannot write " + path("folder") + ": Is a directory"},
        {{"--out", path("folder")}, "cannot write " + path("folder") + ": Is a directory"},
        {{"--out", path("same"), "--plot", path("same")}, "--out and --plot name the same file, " + path("same")},
        {{"--out", path("same"), "--plot", path("folder/../same")},
         "--out and --plot name the same file, " + path("folder/../same")},
        {{"--frobnicate"}, "unknown option '--frobnicate' (battle-lab --help lists them)"},
        {{"-x", "1"}, "unknown option '-x' (battle-lab --help lists them)"},
        {{"--out", path("no/such/folder/lines.jsonl")},
         "cannot write " + path("no/such/folder/lines.jsonl") + ": No such file or directory"},
        {{"--plot", path("no/such/folder/chart.png")},
         "cannot write " + path("no/such/folder/chart.png") + ": No such file or directory"},
        {{"--summarize"}, "--summarize needs at least one file"},
        {{"--summarize", path("missing.jsonl")},
         "cannot read " + path("missing.jsonl") + ": No such file or directory"},
        {{"--summarize", path("broken.jsonl")}, path("broken.jsonl") + ":1: not a battle line: no 'blue_riflemen'"},
        {{"--summarize", path("broken.jsonl"), "--jobs", "2"}, "--summarize takes only file names, not --jobs"},
        // Sweeps and shards.
        {{"--vary", "blue-cavalry=0:10:1"},
         "--vary: unknown count 'blue-cavalry' (blue-riflemen, blue-tanks, blue-snipers, red-riflemen, red-tanks or "
         "red-snipers)"},
        {{"--vary", "blue-tanks=0:10"}, "--vary takes NAME=FROM:TO:STEP, got 'blue-tanks=0:10'"},
        {{"--vary", "blue-tanks=0:x:1"},
         "--vary takes NAME=FROM:TO:STEP, got 'blue-tanks=0:x:1': FROM, TO and STEP are whole numbers from 0 to "
         "2147483647"},
        {{"--vary", "red-tanks=0:10:0"}, "--vary red-tanks: the step must not be 0"},
        {{"--vary", "red-tanks=10:0:1"}, "--vary red-tanks: the range 10 to 0 runs backwards"},
        {{"--vary", "red-tanks=0:10:1", "--vary", "red-tanks=0:5:1"}, "--vary red-tanks is given twice"},
        {{"--vary", "red-tanks=0:1:1", "--vary", "red-snipers=0:1:1", "--vary", "blue-tanks=0:1:1"},
         "--vary may be given at most twice"},
        {{"--vary", "red-tanks=0:100:1", "--vary", "blue-tanks=0:99:1"},
         "the grid has 10100 compositions, more than 10000"},
        {{"--vary", "blue-tanks=0:2147483647:1"}, "the grid has 2147483648 compositions, more than 10000"},
        {{"--vary", "blue-tanks=1:2147483647:1", "--vary", "red-tanks=0:2147483647:1"},
         "the grid has 4611686016279904256 compositions, more than 10000"},
        {{"--battles", "300000", "--vary", "red-tanks=0:99:1", "--vary", "blue-tanks=0:99:1"},
         "the study has 3000000000 battles, more than 2147483647"},
        {{"--shard", "0/3"}, "--shard takes K/N with 1 <= K <= N, got '0/3'"},
        {{"--shard", "1-3"}, "--shard takes K/N with 1 <= K <= N, got '1-3'"},
        {{"--battles", "2", "--shard", "2/3"}, "--shard 2/3: the study has only 2 battles to share"},
        {{"--summarize", path("one-army.jsonl"), "--plot", path("chart.png")},
         "--plot with --summarize draws the chart of a sweep of one or two counts with several values; these lines "
         "are not one"},
    };
    for (const Case& c : cases) {
        std::string command;
        for (const std::string& arg : c.args) command += " " + arg;
        SCOPED_TRACE("battle-lab" + command);
        const LabResult run = lab(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "battle-lab: " + c.message + "\n");
        EXPECT_EQ(run.out, "");
    }
    EXPECT_NE(access(path("no").c_str(), F_OK), 0) << "nothing is created on the way out";
    EXPECT_EQ(names(), (std::vector<std::string>{"broken.jsonl", "folder", "one-army.jsonl"}));
}

TEST_F(LabRunTest, TheSummaryOfTwoHalvesIsTheSummaryOfTheWhole)
{
    const LabResult whole = lab({"--battles", "6", "--jobs", "2", "--out", path("whole.jsonl")}, true);
    const LabResult first = lab({"--battles", "3", "--jobs", "1", "--out", path("a.jsonl")}, true);
    const LabResult second =
        lab({"--first-seed", "4", "--battles", "3", "--jobs", "3", "--out", path("b.jsonl")}, true);
    ASSERT_EQ(whole.status, 0) << whole.err;
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(withoutStudies(fileText(path("a.jsonl")) + fileText(path("b.jsonl"))),
              withoutStudies(fileText(path("whole.jsonl"))));
    EXPECT_NE(whole.out.find("battles               6\n"), std::string::npos) << whole.out;

    // The halves given in either order, and the whole itself.
    const LabResult halves = lab({"--summarize", path("b.jsonl"), path("a.jsonl")});
    EXPECT_EQ(halves.status, 0) << halves.err;
    EXPECT_EQ(halves.out, whole.out);
    EXPECT_EQ(halves.err, "");
    EXPECT_EQ(lab({"--summarize", path("whole.jsonl")}).out, whole.out);

    // A seed range given twice counts once, with a warning.
    const LabResult twice = lab({"--summarize", path("a.jsonl"), path("whole.jsonl")});
    EXPECT_EQ(twice.status, 0);
    EXPECT_EQ(twice.out, whole.out);
    EXPECT_EQ(twice.err, "battle-lab: warning: 3 battles (same seed and counts) appear more than once; each is counted "
                         "once\n");
}

TEST_F(LabRunTest, LinesOnStandardOutputSendTheSummaryToStandardError)
{
    const LabResult toFile = lab({"--battles", "3", "--out", path("lines.jsonl")}, true);
    const LabResult toOut = lab({"--battles", "3", "--out", "-"}, true);
    ASSERT_EQ(toOut.status, 0) << toOut.err;
    EXPECT_EQ(toOut.out, fileText(path("lines.jsonl")));
    EXPECT_EQ(toOut.err, toFile.out) << "the summary, and no progress bar off a terminal";
    EXPECT_EQ(lab({"--battles", "3"}, true).out, toFile.out) << "no lines without --out";
}

TEST_F(LabRunTest, PlotDrawsAPng)
{
    if (!programOnPath("gnuplot")) GTEST_SKIP() << "gnuplot is not installed (scripts/install-deps)";
    const LabResult run = lab({"--battles", "4", "--jobs", "2", "--plot", path("chart.png")}, true);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string png = fileText(path("chart.png"));
    ASSERT_GT(png.size(), 1000u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(LabRunTest, HelpListsTheOptions)
{
    const LabResult run = lab({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* option :
         {"--battles", "--first-seed", "--jobs", "--max-frames", "--out", "--plot", "--summarize"}) {
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    }
}

// Started with standard output closed, the summary (or the lines, or the usage) would be lost
// without a word: refused before anything is played or written.
TEST_F(LabRunTest, AClosedStandardOutputIsRefusedUpFront)
{
    const std::vector<std::vector<std::string>> commands = {
        {"--battles", "3", "--out", "-"},
        {"--battles", "3", "--out", path("lines.jsonl")},
        {"--help"},
        {"--summarize", path("lines.jsonl")},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args.front() + " " + args.back());
        const LabResult run = lab(args, false, false);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "battle-lab: cannot write to standard output: Bad file descriptor\n");
    }
    EXPECT_TRUE(names().empty());
}

// The lines of a run replace an old file only when the run ends, whole and with the old
// file's permission bits; a start that is refused leaves the old file as it was.
TEST_F(LabRunTest, TheLinesReplaceAnOldFileOnlyAtTheEnd)
{
    mkdir(path("folder").c_str(), 0700);
    std::ofstream(path("lines.jsonl")) << "old lines\n";
    chmod(path("lines.jsonl").c_str(), 0640);
    const LabResult refused = lab({"--battles", "3", "--out", path("lines.jsonl"), "--plot", path("folder")}, true);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(fileText(path("lines.jsonl")), "old lines\n");

    const LabResult run = lab({"--battles", "3", "--out", path("lines.jsonl")}, true);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(fileText(path("lines.jsonl")), lab({"--battles", "3", "--out", "-"}, true).out);
    struct stat info {};
    ASSERT_EQ(stat(path("lines.jsonl").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(names(), (std::vector<std::string>{"folder", "lines.jsonl"})) << "no part file left";
}

// A line that cannot be written ends the run at once with the reason: no summary of battles
// whose lines are lost, status 1.
TEST_F(LabRunTest, AWriteErrorEndsTheRunAtOnceWithTheReason)
{
    // A full device of the test's own: a lab that got devices wrong must not replace /dev/full.
    const std::string full = path("full");
    if (mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) GTEST_SKIP() << "cannot make a device here";
    const LabResult run = lab({"--battles", "40", "--jobs", "2", "--out", full}, true);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "battle-lab: cannot write " + full + ": No space left on device\n");
    EXPECT_EQ(run.out, "");
    struct stat info {};
    EXPECT_TRUE(stat(full.c_str(), &info) == 0 && S_ISCHR(info.st_mode)) << "still a device";
}

// --summarize reads lines with and without "placed", and counts a battle given more than
// once (same seed and counts) once, in the summary and in its warning, however the seeds are
// spread.
TEST_F(LabRunTest, SummarizeCountsRepeatedBattlesOnce)
{
    BattleOutcome o;
    o.winner = 0;
    o.endFrame = 600;
    std::ofstream lines(path("mixed.jsonl"));
    for (unsigned seed : {5u, 3u, 9u, 4u, 1u, 2u, 4u, 3u, 3u, 8u, 7u, 6u, 10u, 1u}) {
        o.seed = seed;
        o.placedKnown = seed % 2 == 0;  // older runs wrote no "placed"
        lines << outcomeLine(o) << "\n";
    }
    o.counts.redTanks = 1;  // another army: seed 5 again, but another battle
    o.seed = 5;
    lines << outcomeLine(o) << "\n";
    lines.close();
    const LabResult run = lab({"--summarize", path("mixed.jsonl")});
    EXPECT_EQ(run.status, 0) << run.err;
    // Two armies: a row for each.
    EXPECT_EQ(run.out.find("compositions 2, battles 11\n"), 0u) << run.out;
    EXPECT_EQ(run.err,
              "battle-lab: warning: 15 lines do not say which study they belong to (written by an earlier version): "
              "whether the lines are of one study and complete cannot be checked\n"
              "battle-lab: warning: 3 battles (same seed and counts) appear more than once; each is counted once\n");
}

TEST_F(LabRunTest, AStudyShardedThreeWaysSumsUpAsTheWholeStudy)
{
    const std::vector<std::string> study = {"--battles", "5", "--vary", "blue-tanks=2:8:3", "--vary",
                                            "red-riflemen=20:40:20", "--max-frames", "2500"};
    auto with = [&study](std::vector<std::string> more) {
        more.insert(more.begin(), study.begin(), study.end());
        return more;
    };
    const LabResult whole = lab(with({"--jobs", "2", "--out", path("whole.jsonl"), "--plot", path("whole.png")}));
    ASSERT_EQ(whole.status, 0) << whole.err;
    std::vector<std::string> shards = {"--summarize"};
    std::string lines;
    for (const char* shard : {"1/3", "2/3", "3/3"}) {
        const std::string file = path(std::string("shard-") + shard[0] + ".jsonl");
        const LabResult run = lab(with({"--shard", shard, "--jobs", "1", "--out", file}));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.find("compositions 6, battles 10\n"), 0u) << shard << ": a third of 30\n" << run.out;
        shards.push_back(file);
        lines += fileText(file);
    }
    // Every battle of the study once, in one of the shards.
    auto sorted = [](const std::string& text) {
        std::vector<std::string> all;
        std::stringstream in(text);
        for (std::string line; std::getline(in, line);) all.push_back(line);
        std::sort(all.begin(), all.end());
        return all;
    };
    EXPECT_EQ(sorted(withoutStudies(lines)), sorted(withoutStudies(fileText(path("whole.jsonl")))));

    shards.insert(shards.end(), {"--plot", path("merged.png")});
    const LabResult merged = lab(shards);
    EXPECT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.out, whole.out);
    EXPECT_EQ(whole.out.find("compositions 6, battles 30\nblue-tanks  red-riflemen  battles"), 0u) << whole.out;
    EXPECT_EQ(fileText(path("merged.png")), fileText(path("whole.png"))) << "the same chart, byte for byte";
    EXPECT_GT(fileText(path("whole.png")).size(), 1000u);
}

TEST_F(LabRunTest, EveryCellOfASweepIsTheBattlesOfItsArmyPlayedAlone)
{
    // Counts in the command line's order; the sweep varies red snipers from 0 to 8 by 4.
    const LabResult sweep = lab({"--battles", "4", "--first-seed", "30", "--vary", "red-snipers=0:8:4", "--out",
                                 path("sweep.jsonl"), "--max-frames", "3000", "25", "6", "3", "25", "6", "99"});
    ASSERT_EQ(sweep.status, 0) << sweep.err;
    const std::string sweepLines = withoutStudies(fileText(path("sweep.jsonl")));
    for (const char* snipers : {"0", "8"}) {
        const std::string alone = path(std::string("alone-") + snipers + ".jsonl");
        const LabResult run = lab({"--battles", "4", "--first-seed", "30", "--out", alone, "--max-frames", "3000",
                                   "25", "6", "3", "25", "6", snipers});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string lines = withoutStudies(fileText(alone));
        EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 4);
        EXPECT_NE(sweepLines.find(lines), std::string::npos) << "red snipers " << snipers << ":\n" << lines;
    }
    EXPECT_EQ(std::count(sweepLines.begin(), sweepLines.end(), '\n'), 12);
}
