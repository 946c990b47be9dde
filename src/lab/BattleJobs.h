#pragma once

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "game/UnitCounts.h"
#include "lab/BattleOutcome.h"

// The battles of a run: battle k (0 .. battles - 1) plays seed firstSeed + k.
struct BattlePlan {
    UnitCounts counts;
    unsigned firstSeed = 1;
    int battles = 1;
    int jobs = 1;
    int maxFrames = 36000;
    bool sampleAlive = false;  // report the units alive per side every second as well
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
class BattleJobs {
public:
    enum class Result { kDone, kInterrupted, kFailed };
    using OnFinished = std::function<void(FinishedBattle&& battle)>;
    using OnIdle = std::function<void()>;

    // stop is raised by a signal handler (Ctrl-C): the workers are then ended and what they
    // finished is still reported.
    BattleJobs(const BattlePlan& plan, const volatile std::sig_atomic_t& stop);

    // Runs until every battle is reported, stop is raised or a worker fails. finished is called
    // in the order the battles finish, idle at least every fifth of a second.
    Result run(const OnFinished& finished, const OnIdle& idle);

    const std::string& failure() const { return failure_; }  // why run failed

private:
    struct Worker;

    void startWorkers(std::vector<Worker>& workers);
    [[noreturn]] void workerMain(int socket) const;
    bool assignNext(Worker& worker);
    bool readReports(Worker& worker, const OnFinished& finished, bool& closed);
    void endWorkers(std::vector<Worker>& workers, const OnFinished& finished, bool drain);

    BattlePlan plan_;
    const volatile std::sig_atomic_t& stop_;
    int nextIndex_ = 0;
    std::string failure_;
};
