#pragma once

class Canvas;

// The program's canvas. The first call sets the 1280 x 1024 16-bit mode, creates the back
// buffer and installs the canvas as the one everything draws into; when the mode cannot be
// set it returns null and creates nothing.
Canvas* getCanvas();

// Frees the back buffer and the canvas made by getCanvas (shutdown).
void destroyCanvas();
