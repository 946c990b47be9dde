#include "lab/BattleJobs.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "game/Battle.h"
#include "game/WorldInvariants.h"
#include "lab/Format.h"

namespace {

constexpr auto kLookInterval = std::chrono::milliseconds(50);  // at the stop request and idle
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

BattleOutcome playToTheEnd(Battle& battle, int maxFrames, std::vector<AliveSample>* alive,
                           const std::atomic<bool>& stop)
{
    return playBattle(battle, maxFrames, alive, &stop);
}

}  // namespace

BattleJobs::BattleJobs(const BattlePlan& plan, StopCheck stopRequested, Play play)
    : plan_(plan),
      stopRequested_(stopRequested ? std::move(stopRequested) : [] { return false; }),
      play_(play ? std::move(play) : playToTheEnd)
{
}

bool BattleJobs::mayStart() const
{
    if (nextIndex_ >= plan_.study.battles()) return false;
    const int earliest = unreported_.empty() ? nextIndex_ : *unreported_.begin();
    return nextIndex_ - earliest < std::max(1, plan_.maxAhead);
}

void BattleJobs::work()
{
    pthread_setname_np(pthread_self(), kJobName);  // as ps -L and top -H show it
    std::unique_ptr<Battle> battle;
    std::string under;  // "the battle of seed S" while one is played
    try {
        for (;;) {
            int index = 0;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                startable_.wait(lock, [this] { return stop_ || nextIndex_ >= plan_.study.battles() || mayStart(); });
                if (stop_ || nextIndex_ >= plan_.study.battles()) break;
                index = nextIndex_++;
                unreported_.insert(index);
            }
            FinishedBattle finished;
            finished.index = index;
            const UnitCounts counts = plan_.study.counts(index);
            const unsigned seed = plan_.study.seed(index);
            under = "the battle of seed " + std::to_string(seed);
            if (battle == nullptr) {
                battle = std::make_unique<Battle>(counts, seed);
                battle->setWatched(false);  // nobody sees its particles: the same battle, only faster
            } else {
                battle->restart(counts, seed);
            }
            finished.outcome = play_(*battle, plan_.maxFrames, plan_.sampleAlive ? &finished.alive : nullptr, stop_);
            // A world that broke its own rules on the way played no battle worth a line: its
            // outcome would be silently wrong. (Looked at once a battle: about 1% of its time.)
            const std::string broken = findInvariantViolation(battle->field());
            if (!broken.empty()) throw std::runtime_error("the world broke its rules: " + broken);
            under.clear();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (stop_) break;  // a battle left half-way by a stop is no battle
                done_.push_back(std::move(finished));
            }
            finished_.notify_one();
        }
    } catch (const std::exception& problem) {
        fail(under, problem.what());
    } catch (...) {
        fail(under, nullptr);
    }
    finished_.notify_one();
    startable_.notify_all();
}

void BattleJobs::fail(const std::string& under, const char* reason)
{
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;  // nothing more starts
    if (failed_) return;
    failed_ = true;
    try {
        failure_ = (under.empty() ? std::string("a job") : under) + " failed" + (reason ? std::string(": ") + reason : "");
    } catch (...) {
        // Out of memory even for the message: run says a job failed.
    }
}

void BattleJobs::deliver(std::unique_lock<std::mutex>& lock, const OnFinished& finished)
{
    while (!done_.empty() && !halted_) {
        FinishedBattle battle = std::move(done_.front());
        done_.pop_front();
        const int index = battle.index;
        lock.unlock();
        finished(std::move(battle));
        lock.lock();
        unreported_.erase(index);
        startable_.notify_all();  // the earliest battle not reported may have moved on
    }
}

BattleJobs::Result BattleJobs::run(const OnFinished& finished, const OnIdle& idle)
{
    // The jobs are started with the stop signals blocked, so that a signal always reaches the
    // thread that looks at the stop request, never a job in the middle of a battle.
    sigset_t stops, before;
    sigemptyset(&stops);
    for (int stop : kStopSignals) sigaddset(&stops, stop);
    pthread_sigmask(SIG_BLOCK, &stops, &before);
    const int wanted = std::max(1, std::min(plan_.jobs, plan_.study.battles()));
    // Whatever ends the run, an exception from finished or idle too, its jobs are stopped and
    // joined before it returns.
    struct Crew {
        BattleJobs& owner;
        std::vector<std::thread> jobs;
        ~Crew()
        {
            {
                std::lock_guard<std::mutex> lock(owner.mutex_);
                owner.stop_ = true;
            }
            owner.startable_.notify_all();
            for (std::thread& job : jobs) job.join();
        }
    } crew{*this, {}};
    std::vector<std::thread>& jobs = crew.jobs;
    std::string refusal;  // why the system would start no more threads
    for (int j = 0; j < wanted && refusal.empty(); ++j) {
        try {
            jobs.emplace_back(&BattleJobs::work, this);
        } catch (const std::system_error& refused) {
            refusal = refused.code().message();
        } catch (const std::bad_alloc& refused) {
            refusal = refused.what();
        }
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (jobs.empty()) {
        failure_ = "cannot start a job: " + refusal;
        return Result::kFailed;
    }
    if (!refusal.empty()) {
        shortOfJobs_ = format("only %zu of %d jobs could start (%s)", jobs.size(), wanted, refusal.c_str());
    }

    Result result = Result::kDone;
    int reported = 0;
    const OnFinished count = [&](FinishedBattle&& battle) {
        ++reported;
        finished(std::move(battle));
    };
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        deliver(lock, count);
        if (halted_ || failed_) {
            result = Result::kFailed;
            break;
        }
        if (reported >= plan_.study.battles()) break;
        lock.unlock();
        const bool stopNow = stopRequested_();
        if (!stopNow) idle();
        lock.lock();
        if (stopNow) {
            result = Result::kInterrupted;
            break;
        }
        if (done_.empty() && !failed_ && !halted_) finished_.wait_for(lock, kLookInterval);
    }
    stop_ = true;
    lock.unlock();
    startable_.notify_all();
    for (std::thread& job : jobs) job.join();
    jobs.clear();
    // What was finished before the jobs stopped is still a finished battle.
    lock.lock();
    if (result != Result::kDone) deliver(lock, count);
    if (halted_ || failed_) result = Result::kFailed;
    if (failed_ && failure_.empty()) failure_ = "a job failed";
    if (result == Result::kDone && reported < plan_.study.battles()) {
        failure_ = "the jobs stopped after " + std::to_string(reported) + " of " +
                   counted(plan_.study.battles(), "battle", "battles");
        result = Result::kFailed;
    }
    return result;
}
