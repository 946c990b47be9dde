#pragma once

#include <string>

class Battlefield;

// The fixed x on which the HUD texts are centred, the middle of the screen.
constexpr int kHudCentreX = 640;

// ---- frame drawing, into the installed canvas's back buffer ----
void renderFrame();  // clear, terrain, every object, HUD
void drawTerrain(const Battlefield& field);
void drawHud(const Battlefield& field);
std::string teamName(int team);
void drawCentredText(const std::string& text, int y, int fgR, int fgG, int fgB, int bgR, int bgG, int bgB);
