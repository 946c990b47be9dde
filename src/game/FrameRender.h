#pragma once

#include "game/HudText.h"

class Battle;
class Battlefield;
class Playback;

// ---- frame drawing, into the installed canvas's back buffer ----
// The whole picture the program shows of a battle: the frame (renderFrame), the countdown
// text, then what the viewer's controls add: the speed while it is not 1x, the results
// panel once a base has fallen, and "Paused" while paused.
void drawShownFrame(const Battle& battle, const Playback& playback);
void renderFrame();  // clear, terrain, every object, HUD
void drawTerrain(const Battlefield& field);
void drawHud(const Battlefield& field);
