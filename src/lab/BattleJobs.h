#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
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
// Fewer jobs than planned are no failure: when the system starts fewer threads, or a job runs
// out of memory while others still run, the battles are played by the others (a job out of
// memory frees its battle and gives it back to be played again). The last job running out of
// memory tries again once the others are joined, their memory freed; only then does it fail
// the run.
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

    // Why run failed: "the battle of seed S failed: REASON" when a battle failed.
    const std::string& failure() const { return failure_; }
    // When fewer jobs could run than the plan asks for: "only N of M jobs could run (K could not
    // start: REASON, L ran out of memory)".
    const std::string& shortOfJobs() const { return shortOfJobs_; }

private:
    void work(int job);                           // job's loop
    bool take(int& index);                        // the next battle to play; false: none
    // Plays battle index and hands it back; false when a stop left it half-way.
    bool play(std::unique_ptr<Battle>& battle, int index);
    // What a job out of memory does with the battle it holds (-1 for none).
    enum class Short { kGaveBack, kAgain, kFail };
    Short outOfMemory(int index, bool again);
    void fail(int index, const char* reason);     // a job ends on an exception: the run fails
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
    std::vector<int> givenBack_;         // started, left by a job out of memory: to start again
    std::deque<FinishedBattle> done_;    // handed back, not yet reported
    int running_ = 0;                    // jobs in their loop
    std::vector<char> ended_;            // per job: it ended, its thread is to be joined
    int unjoined_ = 0;                   // jobs started and not yet joined
    int toJoin_ = 0;                     // jobs ended and not yet joined
    int outOfMemory_ = 0;                // jobs that ended for want of memory
    bool failed_ = false;                // a job ended on an exception
    // Why, written without taking memory, so that a job out of memory still names its battle.
    char failureText_[256] = {};
    std::string failure_;                // why the run failed
    std::string shortOfJobs_;
    std::atomic<bool> stop_{false};  // the jobs leave their battles and end
};
