#pragma once

#include <string>

class Battle;
class Battlefield;
class Playback;

// The fixed x on which the HUD texts are centred, the middle of the screen.
constexpr int kHudCentreX = 640;

// The top of the game-over message.
constexpr int kGameOverTextY = 512;

// ---- frame drawing, into the installed canvas's back buffer ----
// The whole picture the program shows of a battle: the frame (renderFrame), the countdown
// text, then what the viewer's controls add: the speed while it is not 1x, the results
// panel once a base has fallen, and "Paused" while paused.
void drawShownFrame(const Battle& battle, const Playback& playback);
void renderFrame();  // clear, terrain, every object, HUD
void drawTerrain(const Battlefield& field);
void drawHud(const Battlefield& field);
std::string teamName(int team);
void drawCentredText(const std::string& text, int y, int fgR, int fgG, int fgB, int bgR, int bgG, int bgB);
