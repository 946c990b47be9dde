#include "game/WilsonInterval.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kZ95 = 1.959963984540054;  // two-sided 95% of the normal distribution

}  // namespace

WilsonInterval wilsonInterval(long long successes, long long trials)
{
    const double n = static_cast<double>(trials);
    const double p = static_cast<double>(successes) / n;
    const double z2 = kZ95 * kZ95;
    const double centre = (p + z2 / (2 * n)) / (1 + z2 / n);
    const double half = kZ95 / (1 + z2 / n) * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n));
    // At none and at all one bound is exact; rounding must not push it past.
    WilsonInterval w;
    w.share = p;
    w.low = successes == 0 ? 0.0 : std::max(0.0, centre - half);
    w.high = successes == trials ? 1.0 : std::min(1.0, centre + half);
    return w;
}
