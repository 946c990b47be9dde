#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/SignalCleanup.h"
#include "app/StopSignals.h"

// Signal dispositions belong to the whole process, so every case runs in a child of its own
// (a death test) and reports through its exit status.

namespace {

struct StopCase {
    int signal;
    int status;  // the shell's convention
};

class StopSignalsTest : public ::testing::TestWithParam<StopCase> {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Starts as the program does: note what was inherited, then take the signals over.
void catchAsTheProgramDoes()
{
    const StopSignals signals;
    signals.catchThem();
}

}  // namespace

TEST_P(StopSignalsTest, ASignalOnlyAsksToStopAndGivesTheShellStatus)
{
    const StopCase c = GetParam();
    EXPECT_EXIT(
        {
            std::signal(c.signal, SIG_DFL);
            catchAsTheProgramDoes();
            if (StopSignals::caught() != 0 || StopSignals::exitStatus() != 0) std::_Exit(2);
            std::raise(c.signal);  // the process goes on: the loop ends it later
            if (StopSignals::caught() != c.signal) std::_Exit(3);
            std::_Exit(StopSignals::exitStatus());
        },
        ::testing::ExitedWithCode(c.status), "");
}

TEST_P(StopSignalsTest, ASecondSignalWhileStoppingEndsTheProcessAtOnce)
{
    const StopCase c = GetParam();
    EXPECT_EXIT(
        {
            std::signal(c.signal, SIG_DFL);
            catchAsTheProgramDoes();
            std::raise(c.signal);
            std::raise(c.signal);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(c.signal), "");
}

TEST_P(StopSignalsTest, ASignalTheProcessStartedWithIgnoredStaysIgnored)
{
    // nohup starts a program with SIGHUP ignored, a script's background job with SIGINT.
    const StopCase c = GetParam();
    EXPECT_EXIT(
        {
            std::signal(c.signal, SIG_IGN);
            const StopSignals signals;
            std::signal(c.signal, SIG_DFL);  // as the graphics library replaces it in between
            signals.catchThem();
            std::raise(c.signal);
            std::raise(c.signal);
            std::_Exit(StopSignals::caught() == 0 ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}

// Ending at once must not leave a part file or an orphaned child: a clip or the lines of a
// run would lie about, a job would play on for nobody.
TEST_P(StopSignalsTest, ASecondSignalRemovesThePartFilesAndKillsTheChildrenFirst)
{
    GTEST_FLAG_SET(death_test_style, "fast");  // the child shares the folder and the pipe
    const StopCase c = GetParam();
    const std::filesystem::path part =
        std::filesystem::temp_directory_path() / (".clip.gif." + std::to_string(getpid()) + "-0.part");
    std::ofstream(part) << "half a clip";
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    EXPECT_EXIT(
        {
            std::signal(c.signal, SIG_DFL);
            catchAsTheProgramDoes();
            SignalCleanup::addFile(part);
            const pid_t job = fork();
            if (job == 0) {
                close(pipe[0]);
                alarm(10);  // should the test fail, it does not outlive it for long
                for (;;) pause();  // holds the pipe's end until it is killed
            }
            SignalCleanup::addProcess(job);
            std::raise(c.signal);
            std::raise(c.signal);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(c.signal), "");
    close(pipe[1]);
    EXPECT_FALSE(std::filesystem::exists(part));
    // The child's end of the pipe closes when it dies; wait for that a few seconds at most.
    pollfd end = {pipe[0], POLLIN, 0};
    char byte = 0;
    EXPECT_TRUE(poll(&end, 1, 5000) == 1 && read(pipe[0], &byte, 1) == 0) << "the child still runs";
    close(pipe[0]);
    std::filesystem::remove(part);
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalsTest,
                         ::testing::Values(StopCase{SIGINT, 130}, StopCase{SIGTERM, 143}, StopCase{SIGHUP, 129}),
                         [](const ::testing::TestParamInfo<StopCase>& info) {
                             return std::string(info.param.signal == SIGINT    ? "SIGINT"
                                                : info.param.signal == SIGTERM ? "SIGTERM"
                                                                               : "SIGHUP");
                         });
