#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "game/OddsWork.h"

class WatchedBattle;

// The desktop's odds are worked out on a thread of their own, one moment at a time, so that
// no frame ever waits for them. Between two frames the main thread trades with it (trade):
// the moment it finished goes to the watched battle, and while it is idle it gets the next
// moment the watched battle wants. The work of a battle that was replaced meanwhile is
// refused by the watched battle when it comes back.
class OddsWorker {
public:
    OddsWorker();
    ~OddsWorker();  // stops the thread, leaving any work unfinished
    OddsWorker(const OddsWorker&) = delete;
    OddsWorker& operator=(const OddsWorker&) = delete;

    void trade(WatchedBattle& watched);

private:
    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<OddsWork> work_;  // handed over, being worked out, or done
    bool busy_ = false;             // work_ is being worked out
    bool stopping_ = false;
    std::atomic<bool> stop_{false};  // looked at between frames of the work
    std::thread thread_;
};
