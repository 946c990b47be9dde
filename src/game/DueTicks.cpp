#include "game/DueTicks.h"

void waitForTick(DueTicks& due, const std::function<void()>& sleep)
{
    while (due.load() == 0) sleep();
}

int catchUp(DueTicks& due, const std::function<void()>& pass)
{
    int passes = 0;
    if (due.load() <= 0) return passes;
    int before = 0;
    int after = 0;
    do {
        before = due.load();
        pass();
        ++passes;
        after = due.fetch_sub(1) - 1;
    } while (after < before && after > 0);
    return passes;
}
