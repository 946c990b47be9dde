#pragma once

#include <signal.h>

// SIGINT, SIGTERM and SIGHUP end the program the way Esc does. The graphics library installs
// handlers of its own for some of them that shut it down from inside the signal and then
// crash the process; these handlers only note the signal, so the frame loop ends, the display
// is freed and the program exits with the shell's status for the signal (128 + its number).
//
// A signal the process was started with ignored (SIGHUP under nohup, SIGINT for a job a
// script started in the background) stays ignored. A second signal while the program is
// already stopping ends the process at once, for the case that stopping hangs: the part files
// and child processes held by SignalCleanup are removed and killed first.
//
// Where a program has nothing left to keep (a clip being recorded, a chart being drawn, lines
// being summed up), endAtOnce() makes the first signal end it at once too, wherever it waits:
// the same clean-up, then exit with the shell's status for the signal.
class StopSignals {
public:
    // Notes which of the signals the process was started with ignored. Construct this before
    // the graphics library starts: it replaces the dispositions the process inherited.
    StopSignals();

    // Takes the signals over (after the graphics library has started).
    void catchThem() const;

    // From now on the first signal ends the process at once: the part files and the child
    // processes held by SignalCleanup are removed and killed, message (when given, a line with
    // its end) is written to standard error, and the process exits with 128 + the signal's
    // number. A signal caught before is still only noted: look at caught() after this.
    static void endAtOnce(const char* message = nullptr);

    // Puts back the handling the signals had when this was made and forgets a caught signal
    // and endAtOnce(), for a program that goes on after a stoppable part (the lab's run,
    // called in tests).
    void release() const;

    // The signal that asked the program to stop, or 0.
    static int caught();

    // The program's exit status: 0 without a signal, else 128 + the signal's number.
    static int exitStatus();

private:
    static constexpr int kCount = 3;
    bool ignored_[kCount] = {};         // per signal: the process was started with it ignored
    struct sigaction found_[kCount] = {};  // per signal: its handling when this was made
};
