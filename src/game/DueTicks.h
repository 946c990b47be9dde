#pragma once

#include <atomic>
#include <functional>

// The simulation's rate.
constexpr int kTicksPerSecond = 60;

// Ticks that are due and not yet run. On the desktop the library's timer adds one sixty times
// a second from a thread of its own; where nothing runs beside the program's code (a browser
// page) they are read off a clock whenever they are looked at, through arrive. Either way a
// tick can come due while a pass runs, which is what the catch-up below watches for.
class DueTicks {
public:
    explicit DueTicks(int due = 0) : due_(due) {}
    virtual ~DueTicks() = default;
    DueTicks(const DueTicks&) = delete;
    DueTicks& operator=(const DueTicks&) = delete;

    // ---- as an atomic count ----
    int load()
    {
        arrive();
        return due_.load();
    }
    void store(int due)
    {
        arrive();
        due_.store(due);
    }
    int exchange(int due)
    {
        arrive();
        return due_.exchange(due);
    }
    int fetch_add(int ticks) { return due_.fetch_add(ticks); }  // a tick came due (the timer)
    int fetch_sub(int ticks)                                    // ticks run
    {
        arrive();
        return due_.fetch_sub(ticks);
    }

protected:
    // Adds the ticks that have come due since the last look; nothing where a timer adds them.
    virtual void arrive() {}

private:
    std::atomic<int> due_;
};

// Waits, calling sleep between looks, until at least one tick is due.
void waitForTick(DueTicks& due, const std::function<void()>& sleep);

// Runs one pass per due tick, but stops as soon as a tick arrives during a pass, so a slow
// frame never starts a spiral of ever more passes. Returns the number of passes run.
int catchUp(DueTicks& due, const std::function<void()>& pass);
