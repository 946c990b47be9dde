#include "app/FrameLoop.h"

#include "game/FrameRender.h"
#include "game/WatchedBattle.h"

DueTicks ticks;

void onTimerTick()
{
    ticks.fetch_add(1);
}

void runFrame(WatchedBattle& watched, Canvas& canvas, DueTicks& due, const std::function<void()>& sleep)
{
    watched.runFrame(due, sleep);
    drawShownFrame(watched, canvas);
}

int runFrames(WatchedBattle& watched, Canvas& canvas, DueTicks& due, const std::function<void()>& sleep,
              const std::function<bool()>& stop, const std::function<void()>& show)
{
    int frames = 0;
    while (!stop()) {
        runFrame(watched, canvas, due, sleep);
        show();
        ++frames;
    }
    return frames;
}
