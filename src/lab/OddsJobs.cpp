#include "lab/OddsJobs.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "game/Battle.h"
#include "game/Rollout.h"
#include "lab/Format.h"

namespace {

constexpr auto kLookInterval = std::chrono::milliseconds(50);  // at the stop request and progress
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// What the jobs of one run share.
struct Crew {
    Crew(const Battle& moment, int rollouts) : moment(moment), rollouts(rollouts) {}

    const Battle& moment;
    int rollouts;
    std::atomic<int> next{0};      // the rollout to take next
    std::atomic<bool> stop{false};  // leave the rollout under way and end
    std::mutex mutex;               // guards what follows
    std::condition_variable changed;
    OddsCounts counts;  // of the rollouts finished
    int working = 0;    // jobs not yet ended
    std::string failure;

    void work()
    {
        pthread_setname_np(pthread_self(), OddsJobs::kJobName);
        OddsCounts mine;
        try {
            for (int k; !stop && (k = next++) < rollouts;) {
                Battle rollout = startRollout(moment, k);
                while (!rolloutEnded(rollout) && !stop) rollout.frame();
                if (stop) break;  // a rollout left half-way counts for nothing
                const int winner = rolloutWinner(rollout);
                std::lock_guard<std::mutex> lock(mutex);
                counts.add(winner);
                changed.notify_all();
            }
        } catch (const std::exception& problem) {
            fail(problem.what());
        } catch (...) {
            fail("unknown exception");
        }
        std::lock_guard<std::mutex> lock(mutex);
        --working;
        changed.notify_all();
    }

    void fail(const char* reason)
    {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
        if (failure.empty()) failure = std::string("a rollout failed: ") + reason;
    }
};

}  // namespace

OddsJobs::OddsJobs(int jobs, StopCheck stopRequested)
    : jobs_(std::max(1, jobs)), stopRequested_(stopRequested ? std::move(stopRequested) : [] { return false; })
{
}

OddsJobs::Result OddsJobs::run(const Battle& moment, int rollouts, OddsCounts& counts, const OnProgress& progress)
{
    if (stopRequested_()) return Result::kInterrupted;
    Crew crew{moment, rollouts};
    crew.counts.frame = Timeline::frameOf(moment);
    shortOfJobs_.clear();
    // The jobs start with the stop signals blocked, so that a signal reaches this thread.
    sigset_t stops, before;
    sigemptyset(&stops);
    for (int stop : kStopSignals) sigaddset(&stops, stop);
    pthread_sigmask(SIG_BLOCK, &stops, &before);
    const int wanted = std::max(1, std::min(jobs_, rollouts));
    struct Threads {
        Crew& crew;
        std::vector<std::thread> all;
        ~Threads()
        {
            crew.stop = true;
            for (std::thread& job : all) job.join();
        }
    } threads{crew, {}};
    std::string refusal;
    for (int j = 0; j < wanted && refusal.empty(); ++j) {
        try {
            {
                std::lock_guard<std::mutex> lock(crew.mutex);
                ++crew.working;
            }
            threads.all.emplace_back(&Crew::work, &crew);
        } catch (const std::system_error& refused) {
            refusal = refused.code().message();
        } catch (const std::bad_alloc& refused) {
            refusal = refused.what();
        }
        if (!refusal.empty()) {
            std::lock_guard<std::mutex> lock(crew.mutex);
            --crew.working;
        }
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (threads.all.empty()) {
        failure_ = "cannot start a job: " + refusal;
        return Result::kFailed;
    }
    if (!refusal.empty()) {
        shortOfJobs_ = format("only %zu of %d jobs could start (%s)", threads.all.size(), wanted, refusal.c_str());
    }

    bool interrupted = false;
    std::unique_lock<std::mutex> lock(crew.mutex);
    while (crew.working > 0) {
        crew.changed.wait_for(lock, kLookInterval);
        const int done = crew.counts.rollouts;
        lock.unlock();
        if (!interrupted && stopRequested_()) {
            interrupted = true;
            crew.stop = true;
        }
        if (progress) progress(done);
        lock.lock();
    }
    lock.unlock();
    for (std::thread& job : threads.all) job.join();
    threads.all.clear();
    if (!crew.failure.empty()) {
        failure_ = crew.failure;
        return Result::kFailed;
    }
    if (interrupted) return Result::kInterrupted;
    counts = crew.counts;
    return Result::kDone;
}
