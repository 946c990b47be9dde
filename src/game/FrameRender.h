#pragma once

#include "game/HudText.h"

class Battle;
class Battlefield;
class Playback;

// ---- frame drawing, into the installed canvas's back buffer ----
// The whole picture the program shows of a battle: the frame (renderFrame), the countdown
// text, then what the viewer's controls add: the speed while it is not 1x, the results
// panel once a base has fallen, and "Paused" while paused. Without exitHint the HUD leaves
// out "Push Esc To Exit", for a screen where Esc does not end the program (a browser's page).
void drawShownFrame(const Battle& battle, const Playback& playback, bool exitHint = true);
void renderFrame(bool exitHint = true);  // clear, terrain, every object, HUD
void drawTerrain(const Battlefield& field);
void drawHud(const Battlefield& field, bool exitHint = true);
