#include "app/FrameLoop.h"

#include "game/FrameRender.h"
#include "game/Playback.h"

DueTicks ticks;

void onTimerTick()
{
    ticks.fetch_add(1);
}

void runFrame(Battle& battle, Playback& playback, Canvas& canvas, DueTicks& due, const std::function<void()>& sleep)
{
    playback.runFrame(battle, due, sleep);
    drawShownFrame(battle, playback, canvas);
}

int runFrames(Battle& battle, Playback& playback, Canvas& canvas, DueTicks& due, const std::function<void()>& sleep,
              const std::function<bool()>& stop, const std::function<void()>& show)
{
    int frames = 0;
    while (!stop()) {
        runFrame(battle, playback, canvas, due, sleep);
        show();
        ++frames;
    }
    return frames;
}
