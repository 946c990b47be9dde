#include "app/Display.h"

#include <allegro.h>

#include <algorithm>
#include <optional>

#include "bitmap/BitmapSurface.h"
#include "bitmap/FrameScaler.h"
#include "game/Battle.h"
#include "gfx/Canvas.h"

namespace {
// The back buffer's shape, 5:4, as a reduced fraction.
constexpr int kShapeWidth = 5;
constexpr int kShapeHeight = 4;
static_assert(kScreenWidth * kShapeHeight == kScreenHeight * kShapeWidth, "the back buffer is 5:4");

Canvas* programCanvas = nullptr;         // made by getCanvas, freed by destroyCanvas
BitmapSurface* programBuffer = nullptr;  // the canvas's back buffer, with it
FrameScaler* screenScaler = nullptr;  // to the screen's size, with the canvas
std::optional<unsigned> titledSeed;   // the seed the window's title shows
}  // namespace

void showSeedInTitle(unsigned seed)
{
    if (titledSeed == seed) return;
    set_window_title(windowTitle(seed).c_str());
    titledSeed = seed;
}

PictureSize pictureSizeFor(int desktopWidth, int desktopHeight)
{
    if (desktopWidth <= 0 || desktopHeight <= 0) return {kScreenWidth, kScreenHeight};
    if (desktopWidth >= kScreenWidth && desktopHeight >= kScreenHeight) return {kScreenWidth, kScreenHeight};
    // The widest 5:4 picture whose width and height both fit.
    const int width = std::min(desktopWidth, desktopHeight * kShapeWidth / kShapeHeight);
    return {width, width * kShapeHeight / kShapeWidth};
}

Canvas* getCanvas()
{
    if (programCanvas != nullptr) return programCanvas;
    int desktopWidth = 0;
    int desktopHeight = 0;
    if (get_desktop_resolution(&desktopWidth, &desktopHeight) != 0) desktopWidth = desktopHeight = 0;
    const PictureSize picture = pictureSizeFor(desktopWidth, desktopHeight);

    set_color_depth(kColourDepth);
    if (set_gfx_mode(GFX_AUTODETECT, picture.width, picture.height, 0, 0) != 0) return nullptr;
    // Every object draws into a 1280 x 1024 buffer whatever the screen's size.
    BITMAP* backBuffer = create_bitmap(kScreenWidth, kScreenHeight);
    if (backBuffer == nullptr) {
        ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, "no memory for the back buffer");
        return nullptr;
    }
    programBuffer = new BitmapSurface(backBuffer, true);
    programCanvas = new Canvas();
    programCanvas->backBuffer = programBuffer;
    screenScaler = new FrameScaler(SCREEN_W, SCREEN_H);
    installCanvas(programCanvas);
    return programCanvas;
}

void showFrame()
{
    BITMAP* shown = screenScaler->fit(programBuffer->bitmap());
    blit(shown, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
}

void destroyCanvas()
{
    if (programCanvas == nullptr) return;
    if (currentCanvas() == programCanvas) installCanvas(nullptr);
    delete programCanvas;
    programCanvas = nullptr;
    delete programBuffer;
    programBuffer = nullptr;
    delete screenScaler;
    screenScaler = nullptr;
}
