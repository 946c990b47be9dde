#pragma once

#include <chrono>
#include <cstdio>
#include <string>

// A one-line bar with the things done (battles played, frames recorded) and an estimate of the
// time left, redrawn in place on a terminal. On anything but a terminal it writes nothing at all.
class ProgressBar {
public:
    // unit names what is counted ("battles"); wanted false keeps the bar off even on a terminal.
    ProgressBar(std::FILE* stream, int total, std::string unit, bool wanted = true);

    void update(int done);  // redrawn at most a few times a second
    void clear();           // takes the bar off the line, e.g. before other output
    bool active() const { return active_; }

    // The bar's text for done of total after the given seconds, at most width columns.
    static std::string text(int done, int total, const std::string& unit, double seconds, int width);

private:
    using Clock = std::chrono::steady_clock;

    std::FILE* stream_;
    int total_;
    std::string unit_;  // what is counted
    bool active_;
    bool shown_ = false;
    int done_ = 0;
    Clock::time_point start_;
    Clock::time_point lastDrawn_;
};
