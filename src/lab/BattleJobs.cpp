#include "lab/BattleJobs.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

void BattleJobs::work(int job)
{
    pthread_setname_np(pthread_self(), kJobName);  // as ps -L and top -H show it
    std::unique_ptr<Battle> battle;
    int index = -1;      // the battle this job holds: taken and not yet handed back
    bool again = false;  // the last job tries once more what it ran out of memory on
    for (;;) {
        try {
            if (index < 0 && !take(index)) break;
            if (!play(battle, index)) break;
            index = -1;
            again = false;
        } catch (const std::bad_alloc&) {
            battle.reset();  // its memory back before anything else
            const Short next = outOfMemory(index, again);
            if (next == Short::kGaveBack) break;
            if (next == Short::kFail) {
                fail(index, "out of memory");
                break;
            }
            again = true;
        } catch (const std::exception& problem) {
            fail(index, problem.what());
            break;
        } catch (...) {
            fail(index, nullptr);
            break;
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ended_[static_cast<size_t>(job)] = 1;
        ++toJoin_;
    }
    finished_.notify_one();
    startable_.notify_all();
}

bool BattleJobs::take(int& index)
{
    std::unique_lock<std::mutex> lock(mutex_);
    const int battles = plan_.study.battles();
    startable_.wait(lock, [&] { return stop_ || !givenBack_.empty() || nextIndex_ >= battles || mayStart(); });
    if (!stop_ && !givenBack_.empty()) {
        index = givenBack_.back();
        givenBack_.pop_back();
        return true;
    }
    if (stop_ || nextIndex_ >= battles) {
        --running_;
        return false;
    }
    unreported_.insert(nextIndex_);
    index = nextIndex_++;
    return true;
}

bool BattleJobs::play(std::unique_ptr<Battle>& battle, int index)
{
    FinishedBattle finished;
    finished.index = index;
    const UnitCounts counts = plan_.study.counts(index);
    const unsigned seed = plan_.study.seed(index);
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
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_) {  // a battle left half-way by a stop is no battle
            --running_;
            return false;
        }
        done_.push_back(std::move(finished));
    }
    finished_.notify_one();
    return true;
}

BattleJobs::Short BattleJobs::outOfMemory(int index, bool again)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (stop_ || running_ > 1) {
        // Room for it was made before the jobs started: one battle at most per job.
        if (index >= 0 && !stop_) givenBack_.push_back(index);
        --running_;
        outOfMemory_ += !stop_;
        startable_.notify_all();
        return Short::kGaveBack;
    }
    if (again) return Short::kFail;
    // Once the jobs that ended are joined, their stacks and battles are freed.
    startable_.wait(lock, [this] { return stop_ || unjoined_ <= 1; });
    return Short::kAgain;
}

void BattleJobs::fail(int index, const char* reason)
{
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;  // nothing more starts
    --running_;
    if (failed_) return;
    failed_ = true;
    // Nothing here takes memory: a job that ran out of it still names its battle.
    if (index >= 0) {
        std::snprintf(failureText_, sizeof failureText_, "the battle of seed %u failed%s%s", plan_.study.seed(index),
                      reason ? ": " : "", reason ? reason : "");
    } else {
        std::snprintf(failureText_, sizeof failureText_, "a job failed%s%s", reason ? ": " : "", reason ? reason : "");
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
            for (std::thread& job : jobs) {
                if (job.joinable()) job.join();
            }
        }
    } crew{*this, {}};
    std::vector<std::thread>& jobs = crew.jobs;
    jobs.reserve(static_cast<size_t>(wanted));
    givenBack_.reserve(static_cast<size_t>(wanted));  // a job out of memory gives back one battle at most
    ended_.assign(static_cast<size_t>(wanted), 0);
    std::string refusal;  // why the system would start no more threads
    for (int j = 0; j < wanted && refusal.empty(); ++j) {
        try {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ++running_;
                ++unjoined_;
            }
            jobs.emplace_back(&BattleJobs::work, this, j);
        } catch (const std::system_error& refused) {
            refusal = refused.code().message();
        } catch (const std::bad_alloc& refused) {
            refusal = "out of memory";
        }
        if (!refusal.empty()) {
            std::lock_guard<std::mutex> lock(mutex_);
            --running_;
            --unjoined_;
        }
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (jobs.empty()) {
        failure_ = "cannot start a job: " + refusal;
        return Result::kFailed;
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
        for (size_t j = 0; toJoin_ > 0 && j < jobs.size(); ++j) {  // the memory of jobs that ended
            if (!ended_[j] || !jobs[j].joinable()) continue;
            lock.unlock();
            jobs[j].join();
            lock.lock();
            --toJoin_;
            --unjoined_;
            startable_.notify_all();
        }
        if (halted_ || failed_) {
            result = Result::kFailed;
            break;
        }
        if (reported >= plan_.study.battles() || (running_ == 0 && done_.empty())) break;
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
    for (std::thread& job : jobs) {
        if (job.joinable()) job.join();
    }
    const size_t started = jobs.size();
    jobs.clear();
    // What was finished before the jobs stopped is still a finished battle.
    lock.lock();
    if (result != Result::kDone) deliver(lock, count);
    if (halted_ || failed_) result = Result::kFailed;
    if (failed_) failure_ = failureText_[0] != '\0' ? failureText_ : "a job failed";
    const int ran = static_cast<int>(started) - outOfMemory_;
    if (ran < wanted) {
        const std::string unstarted = format("%d could not start: %s", wanted - static_cast<int>(started), refusal.c_str());
        const std::string starved = format("%d ran out of memory", outOfMemory_);
        shortOfJobs_ = format("only %d of %d jobs could run (%s)", ran, wanted,
                              refusal.empty() ? starved.c_str()
                              : outOfMemory_ == 0 ? unstarted.c_str()
                                                  : (unstarted + ", " + starved).c_str());
    }
    if (result == Result::kDone && reported < plan_.study.battles()) {
        failure_ = "the jobs stopped after " + std::to_string(reported) + " of " +
                   counted(plan_.study.battles(), "battle", "battles");
        result = Result::kFailed;
    }
    return result;
}
