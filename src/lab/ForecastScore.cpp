#include "lab/ForecastScore.h"

#include <algorithm>
#include <cmath>

void ForecastScore::add(long long won, long long outOf, bool cameTrue)
{
    if (outOf <= 0) {
        won = 1;
        outOf = 2;
    }
    const double chance = static_cast<double>(won) / static_cast<double>(outOf);
    const double miss = chance - (cameTrue ? 1.0 : 0.0);
    squares_ += miss * miss;
    const double kept = std::clamp(chance, kNearest, 1 - kNearest);
    losses_ -= std::log(cameTrue ? kept : 1 - kept);
    ++count_;
    Bin& bin = bins_[std::min<long long>(kBins - 1, won * kBins / outOf)];
    bin.forecasts += chance;
    bin.cameTrue += cameTrue ? 1 : 0;
    ++bin.count;
}

double ForecastScore::brier() const
{
    return count_ > 0 ? squares_ / static_cast<double>(count_) : 0;
}

double ForecastScore::logLoss() const
{
    return count_ > 0 ? losses_ / static_cast<double>(count_) : 0;
}
