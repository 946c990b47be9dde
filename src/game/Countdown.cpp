#include "game/Countdown.h"

#include <sstream>

#include "game/Deployment.h"
#include "gfx/Canvas.h"
#include "world/Battlefield.h"

int reinforcementTimer = 0;

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
    backBuffer().drawText(countdownText(reinforcementTimer), kCountdownX, kCountdownY, {255, 255, 255}, {0, 0, 0});
}
