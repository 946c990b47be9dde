#include "app/FrameLoop.h"

#include <allegro.h>

#include <sstream>

#include "app/FrameRender.h"
#include "gfx/Canvas.h"
#include "app/Deployment.h"
#include "world/Battlefield.h"

std::atomic<int> ticks{0};
int reinforcementTimer = 0;

namespace {
constexpr int kCountdownX = 640;
constexpr int kCountdownY = 32;
}  // namespace

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

void runFrame(Battlefield& field, std::atomic<int>& due, const std::function<void()>& sleep)
{
    waitForTick(due, sleep);
    catchUp(due, [&field] { field.updatePass(); });
    countDownReinforcements(field);
    renderFrame();
    drawCountdownText();
}

int runFrames(Battlefield& field, std::atomic<int>& due, const std::function<void()>& sleep,
              const std::function<bool()>& stop, const std::function<void()>& show)
{
    int frames = 0;
    while (!stop()) {
        runFrame(field, due, sleep);
        show();
        ++frames;
    }
    return frames;
}
