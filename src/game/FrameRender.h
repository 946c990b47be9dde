#pragma once

#include "game/HudText.h"

class Battle;
class Battlefield;
class Canvas;
class Playback;
class Surface;

// ---- frame drawing, into the canvas each is given; none changes the battle ----
// The whole picture the program shows of a battle: the frame (renderFrame), the countdown
// text, then what the viewer's controls add: the speed while it is not 1x, the results
// panel once a base has fallen, and "Paused" while paused. Without exitHint the HUD leaves
// out "Push Esc To Exit", for a screen where Esc does not end the program (a browser's page).
void drawShownFrame(const Battle& battle, const Playback& playback, Canvas& canvas, bool exitHint = true);
void renderFrame(const Battlefield& field, Canvas& canvas, bool exitHint = true);  // terrain, every object, HUD
void drawTerrain(const Battlefield& field, Surface& target);
void drawHud(const Battlefield& field, Surface& target, bool exitHint = true);
