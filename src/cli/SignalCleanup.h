#pragma once

#include <sys/types.h>

#include <string>

// What a process that ends at once, from inside a signal handler, must not leave behind: the
// part files it is writing (a file under another name, renamed when complete) and the child
// processes it started. The names and process ids are kept in fixed storage that the handler
// reads without taking a lock or allocating, so run() may be called from a signal handler at
// any moment, also while a name is being added or taken away.
class SignalCleanup {
public:
    // ---- part files ----
    static constexpr int kFiles = 4;        // part files at a time: the clip, the lab's lines and chart
    static constexpr int kPathBytes = 4096;  // the longest name kept, with its end

    // Removes path at the end unless it is forgotten first. False when there is no room for it
    // (more files at once, a longer name): then it is left behind.
    static bool addFile(const std::string& path);
    static void forgetFile(const std::string& path);

    // ---- child processes ----
    static constexpr int kProcesses = 8;  // children at a time: the lab's gnuplot

    // Kills pid with SIGKILL at the end unless it is forgotten first. Forget a child before it is
    // reaped, so that its id is never killed after another process got it. False when full.
    static bool addProcess(pid_t pid);
    static void forgetProcess(pid_t pid);

    // ---- the end ----
    // Removes every part file and kills every child still held. Async-signal-safe.
    static void run();
};
