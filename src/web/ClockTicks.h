#pragma once

#include <functional>

#include "game/DueTicks.h"

// Due ticks read off a clock of milliseconds, for a page where no timer runs beside the code:
// whenever they are looked at, the ticks of 1/60 second that have passed since the last look
// come due, so that a tick can come due during a pass as it does under the desktop's timer.
// Held, the clock is no longer read and ticks come due only when added.
class ClockTicks : public DueTicks {
public:
    explicit ClockTicks(std::function<double()> milliseconds);

    void hold() { held_ = true; }
    bool held() const { return held_; }

protected:
    void arrive() override;

private:
    std::function<double()> milliseconds_;  // the clock
    double start_;                          // the clock when counting began
    long long counted_ = 0;                 // ticks come due since then
    bool held_ = false;                     // the clock is no longer read
};
