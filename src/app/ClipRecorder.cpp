#include "app/ClipRecorder.h"

#include <allegro.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ClipPalette.h"
#include "app/GifClipWriter.h"
#include "bitmap/MemoryCanvas.h"
#include "cli/ProgressBar.h"
#include "game/FrameRender.h"
#include "game/WatchedBattle.h"

namespace {
constexpr int kPictureWidth = kScreenWidth / ClipPalette::kShrink;
constexpr int kPictureHeight = kScreenHeight / ClipPalette::kShrink;

// 30 pictures a second in hundredths: 3, 3, 4, 3, 3, 4... (10 hundredths every 3 pictures).
int pictureDelay(int picture)
{
    return picture % 3 == 2 ? 4 : 3;
}

void startGraphicsLibrary()
{
    if (system_driver != nullptr) return;
    // No system driver: memory bitmaps and colours work without any display.
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        throw std::runtime_error("cannot start the graphics library with no display");
    }
}
}  // namespace

std::string recordClip(const ClipRequest& request, const ClipProgress& progress)
{
    if (request.frames < 1) {
        return "the clip needs at least 1 frame (asked for " + std::to_string(request.frames) + ")";
    }
    if (request.path.empty()) return "the clip needs a file name";

    int done = 0;
    std::string error;
    try {
        startGraphicsLibrary();
        MemoryCanvas canvas;
        const ClipPalette palette;
        GifClipWriter writer(request.path, kPictureWidth, kPictureHeight, palette);
        std::vector<std::uint8_t> picture;
        int pictures = 0;
        // 1x, never paused: a clip is the battle as it plays by itself.
        WatchedBattle watched(request.counts, request.seed);
        // Played on to the clip's start, with the progress told now and then, still at 0.
        while (watched.battle().passes() < request.from && !watched.battle().over()) {
            watched.playFrame();
            if (progress && watched.battle().passes() % 600 == 0) progress(0, request.frames, false);
        }
        for (int frame = 1; frame <= request.frames; ++frame) {
            watched.playFrame();
            // Drawing changes nothing, so the frames between pictures need not be drawn.
            if ((frame - 1) % kFramesPerPicture == 0) {
                drawShownFrame(watched, canvas.canvas());
                palette.shrink(canvas.bitmap(), picture);
                writer.add(picture, pictureDelay(pictures++));
            }
            done = frame;
            if (progress) progress(done, request.frames, false);
        }
        writer.finish();
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    if (progress) progress(done, request.frames, true);
    return error;
}

ClipProgress progressBarOnTerminal()
{
    if (isatty(STDERR_FILENO) == 0) return nullptr;
    auto bar = std::make_shared<std::optional<ProgressBar>>();
    return [bar](int framesDone, int framesTotal, bool finished) {
        if (!*bar) {
            if (finished) return;  // refused before the first frame: no bar to draw and take away
            bar->emplace(stderr, framesTotal, "frames");
        }
        (*bar)->update(framesDone);
        if (finished) (*bar)->clear();
    };
}
