#pragma once

#include <string>

class Canvas;

// Names the window after the battle of this seed, before or after the display opens; a call
// with the seed already shown changes nothing.
void showSeedInTitle(unsigned seed);

// The size of the picture on a desktop of the given size: the whole back buffer when the
// desktop holds it, else the largest picture of the back buffer's 5:4 shape that fits. A
// desktop of unknown size (0 or less) is taken to hold it.
struct PictureSize {
    int width;
    int height;
};
PictureSize pictureSizeFor(int desktopWidth, int desktopHeight);

// The program's canvas. The first call sets the 16-bit mode at the picture
// size of the desktop, creates the 1280 x 1024 back buffer and installs the canvas as the one
// everything draws into; when the mode cannot be set or the back buffer cannot be made, it
// returns null, creates nothing and leaves the reason in allegro_error.
Canvas* getCanvas();

// Puts the back buffer on the screen as one copy, scaled to the picture size when the screen
// is smaller than the back buffer.
void showFrame();

// Frees the back buffer and the canvas made by getCanvas (shutdown).
void destroyCanvas();
