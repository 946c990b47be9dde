#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "game/OddsCounts.h"

class Battle;

// The odds of a moment from its rollouts, played by a pool of threads of this process. Each
// job takes the next rollout not yet taken and counts what it won; the counts of the jobs are
// added up at the end. Rollout k comes out the same whichever job plays it (game/Rollout.h),
// so the counts are the same with any number of jobs.
//
// As with the battles' jobs, the stop signals are left to the thread that calls run(): it looks
// at the stop request at least every 50 ms, and the jobs look at their stop flag between
// frames. Whatever ends run(), no thread of it is left.
class OddsJobs {
public:
    static constexpr const char* kJobName = "battle-lab odds";  // each job thread's name

    enum class Result { kDone, kInterrupted, kFailed };
    using StopCheck = std::function<bool()>;
    using OnProgress = std::function<void(int rollouts)>;  // rollouts finished so far

    OddsJobs(int jobs, StopCheck stopRequested);

    // Plays rollouts 0 .. rollouts - 1 of the battle as it stands into counts. progress is
    // called on the calling thread at least every fifth of a second.
    Result run(const Battle& moment, int rollouts, OddsCounts& counts, const OnProgress& progress = nullptr);

    const std::string& failure() const { return failure_; }  // why run failed
    // When fewer jobs could start than asked for: how many, and why not more (of the last run).
    const std::string& shortOfJobs() const { return shortOfJobs_; }

private:
    int jobs_;
    StopCheck stopRequested_;
    std::string failure_;
    std::string shortOfJobs_;
};
