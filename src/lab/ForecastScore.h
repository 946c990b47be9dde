#pragma once

// How well chances foretold what happened: the Brier score, the log loss and a reliability
// table. Each forecast is a chance won / outOf (whole numbers, so that the bin it falls in is
// exact) for something that then came true or not. Sums are taken in the order the forecasts
// come, so the same forecasts in the same order give the same figures.
class ForecastScore {
public:
    static constexpr int kBins = 10;        // of a tenth each; a chance of 1 falls in the last
    static constexpr double kNearest = 0.01;  // the log loss takes no chance nearer 0 or 1 than this

    struct Bin {
        double forecasts = 0;    // the sum of the chances in the bin
        long long cameTrue = 0;  // of them
        long long count = 0;
        double meanForecast() const { return count > 0 ? forecasts / static_cast<double>(count) : 0; }
        double shareTrue() const { return count > 0 ? static_cast<double>(cameTrue) / static_cast<double>(count) : 0; }
    };

    // A chance of won / outOf (an outOf of 0 is a chance of one half).
    void add(long long won, long long outOf, bool cameTrue);

    long long count() const { return count_; }
    double brier() const;    // the mean of (chance - 1 if it came true, else 0) squared; 0 without any
    double logLoss() const;  // the mean of -ln(the chance given to what happened); 0 without any
    const Bin& bin(int b) const { return bins_[b]; }

private:
    Bin bins_[kBins];
    double squares_ = 0;
    double losses_ = 0;
    long long count_ = 0;
};
