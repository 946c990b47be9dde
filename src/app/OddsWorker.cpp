#include "app/OddsWorker.h"

#include "game/WatchedBattle.h"

namespace {
constexpr int kFramesBetweenLooks = 600;  // of a rollout, between two looks at the stop flag
}

OddsWorker::OddsWorker() : thread_([this] { work(); }) {}

OddsWorker::~OddsWorker()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    stop_.store(true);
    wake_.notify_all();
    thread_.join();
}

void OddsWorker::trade(WatchedBattle& watched)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (busy_) return;
    if (work_) {
        watched.addOdds(*work_);  // done; refused when the battle was replaced meanwhile
        work_.reset();
    }
    work_ = watched.takeOddsWork();
    if (work_) {
        busy_ = true;
        wake_.notify_all();
    }
}

void OddsWorker::work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || busy_; });
        if (stopping_) return;
        OddsWork work = std::move(*work_);
        work_.reset();
        lock.unlock();
        while (!stop_.load() && !work.advance(kFramesBetweenLooks)) {
        }
        lock.lock();
        work_ = std::move(work);
        busy_ = false;
    }
}
