#pragma once

#include <functional>
#include <string>
#include <vector>

#include "lab/BattleOutcome.h"
#include "lab/Study.h"

// The battles of a run: battle k (0 .. study.battles() - 1) is the study's battle k.
struct BattlePlan {
    Study study;
    int jobs = 1;
    int maxFrames = 36000;
    bool sampleAlive = false;  // report the units alive per side every second as well
    int maxAhead = 4096;       // no battle starts this many or more past the earliest one under way
};

// A battle as a job reported it.
struct FinishedBattle {
    int index = 0;                   // k
    std::string line;                // the outcome's JSON line, without the line end
    std::vector<AliveSample> alive;  // when the plan asks for them
};

// Plays the battles of a plan in worker processes: the simulation keeps program-wide state
// (the world, the reinforcement timer, the counts, the random numbers), so every job is a
// process of its own. Each worker plays one battle at a time and gets the next index as soon as it reports,
// so a long battle holds up one job only. Whole lines come back over a socket; a worker that
// is stopped half-way through a report leaves only the whole lines before it.
//
// The battles finish out of order, and whoever writes them in seed order keeps the later ones
// until the earlier are in. No battle is started plan.maxAhead or more past the earliest one
// still under way, so what waits never grows with the number of battles.
//
// The workers belong to the run: they leave the stop signals to it (the run stops them itself
// and keeps what they finished), they die with it whatever ends it (Linux's parent-death
// signal), and a second stop signal kills them through SignalCleanup.
class BattleJobs {
public:
    enum class Result { kDone, kInterrupted, kFailed };
    using OnFinished = std::function<void(FinishedBattle&& battle)>;
    using OnIdle = std::function<void()>;
    using StopCheck = std::function<bool()>;

    // The most jobs, up to wanted and at least 1, whose sockets fit in the descriptors this
    // process may still open.
    static int jobsThatFit(int wanted);

    // stopRequested is asked while the run waits for the workers, with the stop signals let in
    // only there: when it says yes, the workers are killed and what they finished is still
    // reported.
    BattleJobs(const BattlePlan& plan, StopCheck stopRequested);

    // Runs until every battle is reported, a stop is requested, the run is halted or a worker
    // fails. finished is called in the order the battles finish, idle at least every fifth of a
    // second.
    Result run(const OnFinished& finished, const OnIdle& idle);

    // Called from finished or idle: the workers are killed at once and nothing more is
    // reported (a line that cannot be written). run then gives kFailed.
    void halt() { halted_ = true; }

    const std::string& failure() const { return failure_; }  // why run failed

private:
    struct Worker;

    void startWorkers(std::vector<Worker>& workers);
    [[noreturn]] void workerMain(int socket) const;
    bool assignNext(Worker& worker, const std::vector<Worker>& workers);
    bool readReports(Worker& worker, const OnFinished& finished, bool& closed);
    void endWorkers(std::vector<Worker>& workers, const OnFinished& finished, Result result);

    BattlePlan plan_;
    StopCheck stopRequested_;  // asked while waiting for the workers
    bool halted_ = false;      // halt() was called: no more reports
    int nextIndex_ = 0;        // the next battle to give a worker
    std::string failure_;      // why the run failed; empty while it has not
};
