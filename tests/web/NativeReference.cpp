// battle-reference: what the desktop build makes of a battle, for the page's tests to hold
// the browser's build against.
//
//   battle-reference chain SEED MAX-FRAMES COUNTS...   the digest chain over the battle, in hex
//   battle-reference seekchain SEED SCRIPT-SEED MOVES COUNTS...
//                                                       the chain of a viewer's seeks (seekChain), in hex
//   battle-reference frame SEED N FILE COUNTS...       frame N as the desktop shows it, written
//                                                       as 16-bit pixels (red first, little end first)
//   battle-reference moments SEED FILE COUNTS... FIRST [FRAME|end|click:X:Y]...
//                                                       the picture of battle --at FIRST (paused) after
//                                                       the timeline's keys took it to each FRAME in turn,
//                                                       or to the end, written as above
//   battle-reference odds SEED FRAME COUNTS...          the desktop's odds of that moment (a second of
//                                                       battle time), "frame rollouts red blue unfinished"
//
// COUNTS are six numbers in the command line's order. The battle is played frame by frame as
// the desktop plays it at 1x when it keeps up; frames are drawn on the library's bitmaps.

#include <allegro.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bitmap/MemoryCanvas.h"
#include "cli/CountArguments.h"
#include "game/Battle.h"
#include "game/FrameRender.h"
#include "game/StateDigest.h"
#include "game/TimelineBar.h"
#include "game/WatchedBattle.h"
#include "gfx/PixelSurface.h"

namespace {

UnitCounts countsFrom(char** argv)
{
    const char* line[7] = {"battle", argv[0], argv[1], argv[2], argv[3], argv[4], argv[5]};
    return parseUnitCounts(7, line);
}

int chain(unsigned seed, int maxFrames, const UnitCounts& counts)
{
    Battle battle(counts, seed);
    const std::uint64_t chain = digestChain(battle, maxFrames);
    std::printf("%016" PRIx64 " %d\n", chain, battle.passes());
    return 0;
}

int seekchain(unsigned seed, unsigned scriptSeed, int moves, const UnitCounts& counts)
{
    WatchedBattle watched(counts, seed);
    std::printf("%016" PRIx64 "\n", seekChain(watched, scriptSeed, moves));
    return 0;
}

int write(MemoryCanvas& canvas, const char* path);

int frame(unsigned seed, int frames, const char* path, const UnitCounts& counts)
{
    install_allegro(SYSTEM_NONE, &errno, atexit);
    MemoryCanvas canvas;
    Battle battle(counts, seed);
    for (int n = 0; n < frames; ++n) battle.frame();
    drawBattleFrame(battle, canvas.canvas());
    return write(canvas, path);
}

int moments(unsigned seed, const char* path, const UnitCounts& counts, char** moments, int count)
{
    install_allegro(SYSTEM_NONE, &errno, atexit);
    MemoryCanvas canvas;
    WatchedBattle watched(counts, seed);
    watched.startAt(std::atoi(moments[0]));
    for (int n = 1; n < count; ++n) {
        const std::string moment = moments[n];
        int x = 0;
        int y = 0;
        if (moment == "end") {
            watched.seekToEnd();
        } else if (std::sscanf(moment.c_str(), "click:%d:%d", &x, &y) == 2) {
            // A click on the timeline at that pixel of the picture, as the desktop takes one.
            const int frame = TimelineBar(watched.timeline(), watched.moment()).frameAt(x, y);
            if (frame >= 0) watched.seekTo(frame);
        } else {
            watched.seekTo(std::atoi(moments[n]));
        }
    }
    drawShownFrame(watched, canvas.canvas());
    return write(canvas, path);
}

int write(MemoryCanvas& canvas, const char* path)
{
    std::vector<unsigned char> bytes;
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            const int value = getpixel(canvas.bitmap(), x, y);
            const std::uint16_t pixel = PixelSurface::pixelValue({getr16(value), getg16(value), getb16(value)});
            bytes.push_back(static_cast<unsigned char>(pixel & 0xff));
            bytes.push_back(static_cast<unsigned char>(pixel >> 8));
        }
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) {
        std::fprintf(stderr, "battle-reference: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

// The odds as the desktop works them out: the battle watched to the moment, from its keyframes.
int odds(unsigned seed, int frame, const UnitCounts& counts)
{
    WatchedBattle watched(counts, seed);
    watched.toggleOdds();
    watched.startAt(frame);
    watched.workOutOddsShown();
    const OddsCounts* known = watched.odds().at(frame);
    if (known == nullptr) return 1;
    std::printf("%d %d %d %d %d\n", known->frame, known->rollouts, known->red, known->blue, known->unfinished);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "chain" && argc == 10) {
        return chain(std::strtoul(argv[2], nullptr, 10), std::atoi(argv[3]), countsFrom(argv + 4));
    }
    if (mode == "seekchain" && argc == 11) {
        return seekchain(std::strtoul(argv[2], nullptr, 10), std::strtoul(argv[3], nullptr, 10), std::atoi(argv[4]),
                         countsFrom(argv + 5));
    }
    if (mode == "frame" && argc == 11) {
        return frame(std::strtoul(argv[2], nullptr, 10), std::atoi(argv[3]), argv[4], countsFrom(argv + 5));
    }
    if (mode == "odds" && argc == 10) {
        return odds(std::strtoul(argv[2], nullptr, 10), std::atoi(argv[3]), countsFrom(argv + 4));
    }
    if (mode == "moments" && argc >= 11) {
        return moments(std::strtoul(argv[2], nullptr, 10), argv[3], countsFrom(argv + 4), argv + 10, argc - 10);
    }
    std::fprintf(stderr,
                 "usage: battle-reference chain SEED MAX-FRAMES COUNTS... | seekchain SEED SCRIPT-SEED MOVES "
                 "COUNTS... | frame SEED N FILE COUNTS... | moments SEED FILE COUNTS... FIRST "
                 "[FRAME|end|click:X:Y]...\n");
    return 2;
}
