#include "game/HudText.h"

#include "gfx/Surface.h"

std::string teamName(int team)
{
    switch (team) {
        case 0: return "Red Team";
        case 1: return "Blue Team";
        default: return "";
    }
}

void drawCentredText(Surface& target, const std::string& text, int y, int fgR, int fgG, int fgB, int bgR, int bgG,
                     int bgB)
{
    // Centred as the library centres a text: half its width, rounded down, left of x.
    const int width = kGlyphWidth * static_cast<int>(text.size());
    target.drawText(text, kHudCentreX - width / 2, y, {fgR, fgG, fgB}, {bgR, bgG, bgB});
}
