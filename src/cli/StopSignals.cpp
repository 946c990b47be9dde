#include "cli/StopSignals.h"

#include <csignal>

#include "cli/SignalCleanup.h"

namespace {
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kShellSignalBase = 128;  // a shell reports death by signal n as 128 + n

volatile std::sig_atomic_t caughtSignal = 0;

// Runs in signal context: only async-signal-safe work.
void onStopSignal(int signal)
{
    if (caughtSignal == 0) {
        caughtSignal = signal;
        return;
    }
    // Ending at once must still leave no part file and no orphaned child behind.
    SignalCleanup::run();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

StopSignals::StopSignals()
{
    static_assert(sizeof(kStopSignals) / sizeof(kStopSignals[0]) == kCount, "one flag per signal");
    for (int n = 0; n < kCount; ++n) {
        ignored_[n] = sigaction(kStopSignals[n], nullptr, &found_[n]) == 0 && found_[n].sa_handler == SIG_IGN;
    }
}

void StopSignals::catchThem() const
{
    for (int n = 0; n < kCount; ++n) {
        struct sigaction action {};
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        action.sa_handler = ignored_[n] ? SIG_IGN : onStopSignal;
        sigaction(kStopSignals[n], &action, nullptr);
    }
}

void StopSignals::release() const
{
    for (int n = 0; n < kCount; ++n) sigaction(kStopSignals[n], &found_[n], nullptr);
    caughtSignal = 0;
}

int StopSignals::caught()
{
    return caughtSignal;
}

int StopSignals::exitStatus()
{
    const int signal = caughtSignal;
    return signal == 0 ? 0 : kShellSignalBase + signal;
}
