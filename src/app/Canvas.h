#pragma once

#include <string>

#include "app/TerrainLayer.h"
#include "app/ShapeSpans.h"

struct BITMAP;
class Battlefield;

// Screen size and the fixed x on which the HUD texts are centred.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
constexpr int kColourDepth = 16;
constexpr int kHudCentreX = 640;

// Owns the off-screen back buffer that every draw draws into.
class Canvas {
public:
    BITMAP* backBuffer = nullptr;  // memory bitmap the size of the screen
    TerrainLayer terrain;          // the background, drawn once per terrain
    ShapeSpans shapes;             // boxes and soldiers' triangles, written as rows
};

// The program's canvas. The first call sets the 1280 x 1024 16-bit mode and creates the
// back buffer; when the mode cannot be set it returns null and creates nothing.
Canvas* getCanvas();

// Frees the back buffer and the canvas made by getCanvas (shutdown).
void destroyCanvas();

// Makes the given canvas the one everything draws into (the previous is returned). Lets a
// test draw into a memory bitmap with no screen.
Canvas* installCanvas(Canvas* canvas);

// The bitmap every draw goes to.
BITMAP* backBuffer();

// Fills the upward triangle (px - s, py + s), (px, py - s), (px + s, py + s) of a soldier in
// the back buffer, as the library's triangle fill does.
void fillSoldierTriangle(int px, int py, int s, int r, int g, int b);

// Fills the box with corners (x1, y1) and (x2, y2), both included, in the back buffer, as the
// library's rectfill does; colour is a pixel value.
void fillCanvasBox(int x1, int y1, int x2, int y2, int colour);

// ---- frame drawing ----
void renderFrame();                       // clear, terrain, every object, HUD
void drawTerrain(const Battlefield& field);
void drawHud(const Battlefield& field);
std::string teamName(int team);
void drawCentredText(const std::string& text, int y, int fgR, int fgG, int fgB, int bgR, int bgG, int bgB);
