#include "game/Countdown.h"

#include "gfx/Surface.h"

std::string countdownText(int timer)
{
    return "Reinforcements in " + std::to_string(timer);
}

void drawCountdownText(Surface& target, int timer)
{
    target.drawText(countdownText(timer), kCountdownX, kCountdownY, {255, 255, 255}, {0, 0, 0});
}
