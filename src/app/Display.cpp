#include "app/Display.h"

#include <allegro.h>

#include <algorithm>
#include <optional>

#include "game/Battle.h"

namespace {
// The back buffer's shape, 5:4, as a reduced fraction.
constexpr int kShapeWidth = 5;
constexpr int kShapeHeight = 4;
static_assert(kScreenWidth * kShapeHeight == kScreenHeight * kShapeWidth, "the back buffer is 5:4");

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

std::unique_ptr<Display> Display::open()
{
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
    return std::unique_ptr<Display>(new Display(backBuffer, SCREEN_W, SCREEN_H));
}

Display::Display(BITMAP* backBuffer, int screenWidth, int screenHeight)
    : backBuffer_(backBuffer, true), canvas_(backBuffer_), scaler_(screenWidth, screenHeight)
{
}

void Display::show()
{
    BITMAP* shown = scaler_.fit(backBuffer_.bitmap());
    blit(shown, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
}
