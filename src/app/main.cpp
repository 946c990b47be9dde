#include <allegro.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

#include "app/ClipRecorder.h"
#include "app/Display.h"
#include "app/FrameLoop.h"
#include "app/KeyPresses.h"
#include "app/LostDisplay.h"
#include "app/Options.h"
#include "cli/OutputFile.h"
#include "cli/StandardStreams.h"
#include "cli/StopSignals.h"
#include "game/TimelineBar.h"
#include "game/UnitCounts.h"
#include "game/WatchedBattle.h"

namespace {
std::atomic<bool> closeRequested{false};
KeyPresses keyPresses;  // fed by the keyboard handler until the process ends
// The screen pixel of the last press of the left mouse button not yet taken, as x * 65536 + y;
// -1 when there is none. Written by the library's input thread.
std::atomic<long> lastClick{-1};

void onMouseEvent(int flags)
{
    if ((flags & MOUSE_FLAG_LEFT_DOWN) != 0) lastClick.store(static_cast<long>(mouse_x) * 65536 + mouse_y);
}

// A click on the timeline while it shows moves the battle to the frame under it.
void takeClick(WatchedBattle& watched)
{
    const long click = lastClick.exchange(-1);
    if (click < 0 || !watched.timelineShown() || SCREEN_W <= 0 || SCREEN_H <= 0) return;
    // The screen shows the back buffer scaled to its size.
    const int x = static_cast<int>(click / 65536) * kScreenWidth / SCREEN_W;
    const int y = static_cast<int>(click % 65536) * kScreenHeight / SCREEN_H;
    const int frame = TimelineBar(watched.timeline(), watched.moment()).frameAt(x, y);
    if (frame >= 0) watched.seekTo(frame);
}

// The window's close button ends the program as Esc does.
void onCloseButton()
{
    closeRequested.store(true);
}

void restOneMillisecond()
{
    rest(1);
}

// For the end-to-end tests: BATTLE_FRAME_DELAY_MS makes every frame that much slower, as a
// machine too busy to draw every tick would.
int frameDelayMilliseconds()
{
    const char* delay = std::getenv("BATTLE_FRAME_DELAY_MS");
    return delay != nullptr ? std::clamp(std::atoi(delay), 0, 1000) : 0;
}

// Looked at once before the first frame and after every frame: the viewer's keys and clicks go
// to the watched battle; the program stops on Esc held or pressed since the last look (paused or not),
// the close button, or a stop signal.
bool stopRequested(WatchedBattle& watched)
{
    keyPresses.drain();
    takeViewerKeys(keyPresses, watched);
    takeClick(watched);
    return keyPresses.downOrPressed(KEY_ESC) || closeRequested.load() || StopSignals::caught() != 0;
}

// A clip into standard output ("-", or a name that leads there such as /dev/stdout) is refused
// before anything is started or drawn: closed, it is a write that fails (status 1, as for the
// help); a terminal would only show noise (2, as a file that cannot be opened).
int refuseClipTarget(const std::string& path, bool outClosed)
{
    if (path != "-" && !OutputFile::sameFile(path, STDOUT_FILENO)) return 0;
    const std::string name = path == "-" ? "standard output" : path;
    if (outClosed) {
        std::fprintf(stderr, "battle: cannot write %s: %s\n", name.c_str(), std::strerror(EBADF));
        return 1;
    }
    if (isatty(STDOUT_FILENO) == 0) return 0;
    std::fprintf(stderr, "battle: cannot write %s: it is a terminal\n", name.c_str());
    return kBadCommandLineStatus;
}

// --record: the clip is played and written with no display, so nothing of the screen is
// started. A stop signal ends the recording at once, also while it waits for a FIFO's reader,
// without leaving a part of the file behind.
int recordTheClip(const Options& options, unsigned seed, const StopSignals& stopSignals, bool outClosed)
{
    if (const int status = refuseClipTarget(options.record, outClosed)) return status;
    // The library, as it starts, puts in handlers of its own that end the process on a signal
    // with the part file left behind: it is started first (with no display), then the signals
    // are taken over.
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "battle: cannot start the graphics library with no display\n");
        return 1;
    }
    stopSignals.catchThem();
    StopSignals::endAtOnce();
    if (StopSignals::caught() != 0) return StopSignals::exitStatus();
    const ClipProgress bar = progressBarOnTerminal();
    int framesDone = 0;
    const std::string error = recordClip({options.record, options.frames, seed, options.counts, options.at.value_or(0)},
                                         [&bar, &framesDone](int done, int total, bool finished) {
                                             if (bar) bar(done, total, finished);
                                             framesDone = done;
                                         });
    if (!error.empty()) {
        std::fprintf(stderr, "battle: %s\n", error.c_str());
        // A file that cannot be opened is refused before the battle starts; one that fails
        // on the way is a failed write.
        return framesDone == 0 ? kBadCommandLineStatus : 1;
    }
    return 0;
}

// With no display there is nothing to draw on and no window to read Esc from: say why and
// stop instead of running blind.
int failToOpenDisplay(const std::string& reason)
{
    const std::string detail = allegro_error[0] != '\0' ? std::string(" (") + allegro_error + ")" : "";
    std::fprintf(stderr, "battle: cannot open the %dx%d %d-bit display: %s%s\n", kScreenWidth, kScreenHeight,
                 kColourDepth, reason.c_str(), detail.c_str());
    return 1;
}

// The library starts only when it reaches an X display; the one it tried is the user's DISPLAY.
std::string noDisplayReason()
{
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0') return "DISPLAY is not set, so there is no X display to open";
    return std::string("the X display ") + name + " could not be opened";
}
}  // namespace

int main(int argc, char** argv)
{
    const StandardStreams streams = StandardStreams::openMissing();
    if (!streams.complete()) return 1;
    const bool outClosed = streams.wasClosed(STDOUT_FILENO);
    // A reader that went away is a failed write like any other, with its reason and status 1.
    std::signal(SIGPIPE, SIG_IGN);
    // Help, the version and a bad command line are answered before any window opens.
    const Options options = parseOptions(argc, argv);
    if (const std::optional<int> status = answerBeforeStart(options, outClosed ? nullptr : stdout, stderr)) {
        return *status;
    }
    const UnitCounts counts = options.counts;
    // The seed of the first battle; every battle's seed is in the window's title.
    const unsigned seed = options.seed.value_or(static_cast<unsigned>(time(nullptr)));
    const StopSignals stopSignals;  // before the library replaces the inherited dispositions
    if (options.recording()) return recordTheClip(options, seed, stopSignals, outClosed);
    if (allegro_init() != 0) return failToOpenDisplay(noDisplayReason());
    stopSignals.catchThem();
    exitWhenTheDisplayIsLost();
    install_keyboard();
    listenForKeyPresses(&keyPresses);
    if (install_mouse() >= 0) mouse_callback = onMouseEvent;  // a desktop with no mouse does without
    showSeedInTitle(seed);
    const std::unique_ptr<Display> display = Display::open();
    if (display == nullptr) return failToOpenDisplay("the graphics mode could not be set");
    set_close_button_callback(onCloseButton);
    WatchedBattle watched(counts, seed, options.loop);
    if (options.at) watched.startAt(*options.at);
    install_int_ex(onTimerTick, kTickPeriod);
    runFrames(
        watched, display->canvas(), ticks, restOneMillisecond, [&watched] { return stopRequested(watched); },
        [&display, &watched, delay = frameDelayMilliseconds()] {
            if (delay > 0) rest(static_cast<unsigned>(delay));
            display->show();
            showSeedInTitle(watched.battle().seed());  // the show's next battle has a seed of its own
        });
    remove_int(onTimerTick);
    return StopSignals::exitStatus();
}
END_OF_MAIN()
