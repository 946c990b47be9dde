#include "web/ClockTicks.h"

#include <utility>

ClockTicks::ClockTicks(std::function<double()> milliseconds)
    : milliseconds_(std::move(milliseconds)), start_(milliseconds_())
{
}

void ClockTicks::arrive()
{
    if (held_) return;
    // Whole ticks since the start, so that no fraction of a tick is lost between looks.
    const long long passed = static_cast<long long>((milliseconds_() - start_) * kTicksPerSecond / 1000.0);
    if (passed > counted_) {
        fetch_add(static_cast<int>(passed - counted_));
        counted_ = passed;
    }
}
