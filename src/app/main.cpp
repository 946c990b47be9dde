#include <allegro.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "app/Battle.h"
#include "app/Display.h"
#include "app/FrameLoop.h"
#include "app/KeyPresses.h"
#include "app/LostDisplay.h"
#include "app/Options.h"
#include "app/StopSignals.h"
#include "app/UnitCounts.h"
#include "gfx/Canvas.h"
#include "world/Battlefield.h"

namespace {
std::atomic<bool> closeRequested{false};
KeyPresses keyPresses;  // fed by the keyboard handler until the process ends

// The window's close button ends the program as Esc does.
void onCloseButton()
{
    closeRequested.store(true);
}

void restOneMillisecond()
{
    rest(1);
}

// Looked at once before the first frame and after every frame: Esc held or pressed since the
// last look, the close button, or a stop signal.
bool stopRequested()
{
    keyPresses.drain();
    return keyPresses.downOrPressed(KEY_ESC) || closeRequested.load() || StopSignals::caught() != 0;
}

// With no display there is nothing to draw on and no window to read Esc from: say why and
// stop instead of running blind.
int failToOpenDisplay(const char* reason)
{
    std::fprintf(stderr, "battle: cannot open the %dx%d %d-bit display: %s (%s)\n", kScreenWidth, kScreenHeight,
                 kColourDepth, reason, allegro_error[0] != '\0' ? allegro_error : "no further detail");
    return 1;
}
}  // namespace

int main(int argc, char** argv)
{
    // Help, the version and a bad command line are answered before any window opens.
    const Options options = parseOptions(argc, argv);
    if (const std::optional<int> status = answerBeforeStart(options, stdout, stderr)) return *status;
    const UnitCounts counts = options.counts;
    const StopSignals stopSignals;  // before the library replaces the inherited dispositions
    if (allegro_init() != 0) return failToOpenDisplay("the graphics library found no system to run on");
    stopSignals.catchThem();
    exitWhenTheDisplayIsLost();
    install_keyboard();
    listenForKeyPresses(&keyPresses);
    const unsigned seed = static_cast<unsigned>(time(nullptr));
    if (getCanvas() == nullptr) return failToOpenDisplay("the graphics mode could not be set");
    set_close_button_callback(onCloseButton);
    {
        Battle battle(counts, seed);
        install_int_ex(onTimerTick, kTickPeriod);
        runFrames(battle.field(), ticks, restOneMillisecond, stopRequested, showFrame);
        remove_int(onTimerTick);
    }

    destroyCanvas();
    return StopSignals::exitStatus();
}
END_OF_MAIN()
