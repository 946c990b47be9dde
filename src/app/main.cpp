#include <allegro.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/Canvas.h"
#include "app/Deployment.h"
#include "app/FrameLoop.h"
#include "app/UnitCounts.h"
#include "world/Battlefield.h"

namespace {
std::atomic<bool> closeRequested{false};

// The window's close button ends the program as Esc does.
void onCloseButton()
{
    closeRequested.store(true);
}

void restOneMillisecond()
{
    rest(1);
}
}  // namespace

int main(int argc, char** argv)
{
    unitCounts = parseUnitCounts(argc, argv);
    allegro_init();
    install_keyboard();
    srand(static_cast<unsigned>(time(nullptr)));
    if (getCanvas() == nullptr) {
        std::fprintf(stderr, "battle: cannot open the %dx%d %d-bit display: %s\n", kScreenWidth, kScreenHeight,
                     kColourDepth, allegro_error);
        return 1;
    }
    set_close_button_callback(onCloseButton);
    Battlefield* field = getBattlefield();
    install_int_ex(onTimerTick, kTickPeriod);
    reinforcementTimer = kReinforcementFrames;
    deployArmies();

    while (!key[KEY_ESC] && !closeRequested.load()) {
        runFrame(*field, ticks, restOneMillisecond);
        blit(backBuffer(), screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    }

    destroyCanvas();
    return 0;
}
END_OF_MAIN()
