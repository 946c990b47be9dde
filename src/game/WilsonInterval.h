#pragma once

// A share with its 95% Wilson score interval: the battles a side won in the lab, the rollouts a
// side won from a moment.
struct WilsonInterval {
    double share = 0;
    double low = 0;
    double high = 0;
};

// The interval for successes out of trials (trials > 0), z = 1.96.
WilsonInterval wilsonInterval(long long successes, long long trials);
