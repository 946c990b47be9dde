#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "lab/BattleOutcome.h"
#include "lab/Study.h"

class Battle;

// The battles of a run: battle k (0 .. study.battles() - 1) is the study's battle k.
struct BattlePlan {
    Study study;
    int jobs = 1;
    int maxFrames = 36000;
    bool sampleAlive = false;  // report the units alive per side every second as well
    int maxAhead = 4096;       // no battle starts this many or more past the earliest one not yet reported
};

// A battle as a job reported it.
struct FinishedBattle {
    int index = 0;                   // k
    BattleOutcome outcome;
    std::vector<AliveSample> alive;  // when the plan asks for them
};

// Plays the battles of a plan in a pool of threads of this process, one job each. Every job
// owns a Battle, restarted for each battle it plays, so the jobs share nothing but the next
// battle to play and the battles finished. Each job takes the next battle as soon as it has
// handed back the last, so a long battle holds up one job only.
//
// The battles finish out of order, and whoever writes them in seed order keeps the later ones
// until the earlier are in. No battle is started plan.maxAhead or more past the earliest one
// not yet reported, so what waits never grows with the number of battles.
//
// The jobs leave the stop signals to the thread that runs them: run() looks at the stop
// request at least every 50 ms, and the jobs look at their stop flag between frames, so a stop
// ends every battle under way at once. Whatever ends run(), no thread of it is left.
class BattleJobs {
public:
    static constexpr const char* kJobName = "battle-lab job";  // each job thread's name

    enum class Result { kDone, kInterrupted, kFailed };
    using OnFinished = std::function<void(FinishedBattle&& battle)>;
    using OnIdle = std::function<void()>;
    using StopCheck = std::function<bool()>;
    // How a job plays a battle it has started: playBattle, or what a test plays instead.
    using Play = std::function<BattleOutcome(Battle& battle, int maxFrames, std::vector<AliveSample>* alive,
                                             const std::atomic<bool>& stop)>;

    // stopRequested is asked while the run waits for the jobs: when it says yes, the battles
    // under way are left and what was finished is still reported.
    BattleJobs(const BattlePlan& plan, StopCheck stopRequested, Play play = nullptr);

    // Runs until every battle is reported, a stop is requested, the run is halted or a battle
    // fails (throws). finished and idle are called on the calling thread: finished in the order
    // the battles finish, idle at least every fifth of a second.
    Result run(const OnFinished& finished, const OnIdle& idle);

    // Called from finished or idle: the battles under way are left and nothing more is
    // reported (a line that cannot be written). run then gives kFailed.
    void halt() { halted_ = true; }

    const std::string& failure() const { return failure_; }  // why run failed
    // When fewer jobs could start than the plan asks for: how many, and why not more.
    const std::string& shortOfJobs() const { return shortOfJobs_; }

private:
    void work();                                  // a job's loop
    void fail(const std::string& under, const char* reason);  // a job ends on an exception
    bool mayStart() const;                        // the next battle may start now (under the lock)
    void deliver(std::unique_lock<std::mutex>& lock, const OnFinished& finished);  // what is finished

    BattlePlan plan_;
    StopCheck stopRequested_;
    Play play_;
    bool halted_ = false;  // halt() was called: no more reports

    std::mutex mutex_;                   // guards what follows
    std::condition_variable finished_;   // a job handed back a battle, or failed
    std::condition_variable startable_;  // a battle may start, or the jobs must stop
    int nextIndex_ = 0;                  // the next battle to start
    std::set<int> unreported_;           // battles started and not yet reported
    std::deque<FinishedBattle> done_;    // handed back, not yet reported
    bool failed_ = false;                // a job ended on an exception
    std::string failure_;                // why the run failed
    std::string shortOfJobs_;
    std::atomic<bool> stop_{false};  // the jobs leave their battles and end
};
