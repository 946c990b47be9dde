#include "app/FrameLoop.h"

#include <allegro.h>

#include <sstream>

#include "app/Deployment.h"
#include "app/FrameRender.h"
#include "app/Playback.h"
#include "gfx/Canvas.h"
#include "world/Battlefield.h"

std::atomic<int> ticks{0};
int reinforcementTimer = 0;

void onTimerTick()
{
    ticks.fetch_add(1);
}

void waitForTick(const std::atomic<int>& due, const std::function<void()>& sleep)
{
    while (due.load() == 0) sleep();
}

int catchUp(std::atomic<int>& due, const std::function<void()>& pass)
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

void countDownReinforcements(const Battlefield& field)
{
    if (field.gameOver != 0) return;
    reinforcementTimer -= 1;
    if (reinforcementTimer <= 0) launchReinforcements();
}

std::string countdownText(int timer)
{
    std::ostringstream text;
    text << "Reinforcements in " << timer;
    return text.str();
}

void drawCountdownText()
{
    textout_ex(backBuffer(), font, countdownText(reinforcementTimer).c_str(), kCountdownX, kCountdownY,
               makecol(255, 255, 255), makecol(0, 0, 0));
}

void runFrame(Battle& battle, Playback& playback, std::atomic<int>& due, const std::function<void()>& sleep)
{
    playback.runFrame(battle, due, sleep);
    drawShownFrame(battle, playback);
}

int runFrames(Battle& battle, Playback& playback, std::atomic<int>& due, const std::function<void()>& sleep,
              const std::function<bool()>& stop, const std::function<void()>& show)
{
    int frames = 0;
    while (!stop()) {
        runFrame(battle, playback, due, sleep);
        show();
        ++frames;
    }
    return frames;
}
