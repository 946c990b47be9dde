#pragma once

#include <string>

class Surface;

// The fixed x on which the HUD texts are centred, the middle of the screen.
constexpr int kHudCentreX = 640;

// The top of the game-over message.
constexpr int kGameOverTextY = 512;

// "Red Team" or "Blue Team"; empty for any other team.
std::string teamName(int team);

// A text in the 8 x 8 font centred on the HUD's x, its top at y, on its background colour.
void drawCentredText(Surface& target, const std::string& text, int y, int fgR, int fgG, int fgB, int bgR, int bgG,
                     int bgB);
