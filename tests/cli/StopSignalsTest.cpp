#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "cli/StopSignals.h"

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

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalsTest,
                         ::testing::Values(StopCase{SIGINT, 130}, StopCase{SIGTERM, 143}, StopCase{SIGHUP, 129}),
                         [](const ::testing::TestParamInfo<StopCase>& info) {
                             return std::string(info.param.signal == SIGINT    ? "SIGINT"
                                                : info.param.signal == SIGTERM ? "SIGTERM"
                                                                               : "SIGHUP");
                         });
