#pragma once

#include "game/HudText.h"

class Battle;
class Battlefield;
class Canvas;
class Surface;
class WatchedBattle;

// ---- frame drawing, into the canvas each is given; none changes the battle ----
// The whole picture the program shows of a watched battle: the battle's frame
// (drawBattleFrame), then what the viewer's controls add: the speed while it is not 1x, the
// timeline while it shows, and "Paused" while paused. Without desktop the frame leaves out what
// only the desktop's window shows: "Push Esc To Exit" and the timeline, for a browser's page,
// where Esc does not end the program and the timeline is a part of the page of its own.
void drawShownFrame(const WatchedBattle& watched, Canvas& canvas, bool desktop = true);
// A battle's frame as it plays by itself: the frame (renderFrame), the countdown text, and the
// results panel once a base has fallen.
void drawBattleFrame(const Battle& battle, Canvas& canvas, bool desktop = true);
void renderFrame(const Battlefield& field, Canvas& canvas, bool exitHint = true);  // terrain, every object, HUD
void drawTerrain(const Battlefield& field, Surface& target);
void drawHud(const Battlefield& field, Surface& target, bool exitHint = true);
