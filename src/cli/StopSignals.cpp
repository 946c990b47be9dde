#include "cli/StopSignals.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

#include "cli/SignalCleanup.h"

namespace {
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kShellSignalBase = 128;  // a shell reports death by signal n as 128 + n

constexpr size_t kMessageBytes = 256;

volatile std::sig_atomic_t caughtSignal = 0;
volatile std::sig_atomic_t endingAtOnce = 0;  // endAtOnce() was called
char endMessage[kMessageBytes] = {};           // written before the first signal ends the process

// Runs in signal context: only async-signal-safe work.
void onStopSignal(int signal)
{
    if (caughtSignal == 0 && endingAtOnce == 0) {
        caughtSignal = signal;
        return;
    }
    // Ending at once must still leave no part file and no orphaned child behind.
    SignalCleanup::run();
    if (caughtSignal == 0) {
        // Nothing to keep: the first signal ends the program as a finished stop would.
        const ssize_t ignored = write(STDERR_FILENO, endMessage, std::strlen(endMessage));
        (void)ignored;
        _exit(kShellSignalBase + signal);
    }
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

void StopSignals::endAtOnce(const char* message)
{
    // The message is in place before the handler may read it.
    endingAtOnce = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    endMessage[0] = '\0';
    if (message != nullptr) {
        std::strncpy(endMessage, message, kMessageBytes - 1);
        endMessage[kMessageBytes - 1] = '\0';
    }
    std::atomic_signal_fence(std::memory_order_seq_cst);
    endingAtOnce = 1;
}

void StopSignals::release() const
{
    for (int n = 0; n < kCount; ++n) sigaction(kStopSignals[n], &found_[n], nullptr);
    caughtSignal = 0;
    endingAtOnce = 0;
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
