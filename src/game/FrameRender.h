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
// panel once a base has fallen, and "Paused" while paused.
void drawShownFrame(const Battle& battle, const Playback& playback, Canvas& canvas);
void renderFrame(const Battlefield& field, Canvas& canvas);  // terrain, every object, HUD
void drawTerrain(const Battlefield& field, Surface& target);
void drawHud(const Battlefield& field, Surface& target);
