#include "game/FrameRender.h"

#include "game/Battle.h"
#include "game/Countdown.h"
#include "game/ResultsPanel.h"
#include "game/TimelineBar.h"
#include "game/WatchedBattle.h"
#include "gfx/Canvas.h"
#include "units/Renderer.h"
#include "world/Battlefield.h"

namespace {
constexpr int kExitHintY = 992;
// The speed goes right under the countdown text, left-aligned as it is, and ends above the
// roof of the red base (its top at y 51), which it would otherwise hide.
constexpr int kSpeedTextX = kCountdownX;
constexpr int kSpeedTextY = kCountdownY + 10;
// "Paused" 16 pixels above the game-over message, so that it covers neither that nor the
// results panel under it.
constexpr int kPausedTextY = kGameOverTextY - 24;
}  // namespace

void drawShownFrame(const WatchedBattle& watched, Canvas& canvas, bool desktop)
{
    drawBattleFrame(watched.battle(), canvas, desktop);
    Surface& target = canvas.backBuffer();
    const std::string speed = watched.speedText();
    if (!speed.empty()) target.drawText(speed, kSpeedTextX, kSpeedTextY, {255, 255, 255}, {0, 0, 0});
    if (desktop && watched.timelineShown()) TimelineBar(watched.timeline(), watched.moment()).draw(target);
    if (watched.paused()) drawCentredText(target, "Paused", kPausedTextY, 255, 255, 255, 0, 0, 0);
}

void drawBattleFrame(const Battle& battle, Canvas& canvas, bool desktop)
{
    renderFrame(battle.field(), canvas, desktop);
    Surface& target = canvas.backBuffer();
    drawCountdownText(target, battle.reinforcementTimer());
    if (battle.over()) ResultsPanel(battle).draw(target);
}

void renderFrame(const Battlefield& field, Canvas& canvas, bool exitHint)
{
    // The heights never change during a battle: the terrain is painted once per terrain and
    // each frame starts with a copy of it.
    Surface& target = canvas.backBuffer();
    canvas.background().drawInto(target, field.terrainKey(), [&field](Surface& layer) { drawTerrain(field, layer); });
    for (const std::unique_ptr<Renderer>& object : field.objects) object->draw(target);
    drawHud(field, target, exitHint);
}

void drawTerrain(const Battlefield& field, Surface& target)
{
    for (int x = 0; x < kColumns; ++x) {
        for (int y = 0; y < kRows; ++y) {
            const int h = field.heightAt(static_cast<float>(x), static_cast<float>(y));
            if (h == 0) continue;
            // Both corners are included: each box is 17 pixels square and overlaps the
            // first row and column of the next cell, which the later cell then covers.
            const float cx = static_cast<float>(cellCentre(x));
            const float cy = static_cast<float>(cellCentre(y));
            const int grey = kCellPixels * h;
            target.fillBox(static_cast<int>(cx - 8), static_cast<int>(cy - 8), static_cast<int>(cx + 8),
                           static_cast<int>(cy + 8), {grey, grey, grey});
        }
    }
}

void drawHud(const Battlefield& field, Surface& target, bool exitHint)
{
    if (field.gameOver) {
        drawCentredText(target, "Game Over, the " + teamName(field.eliminatedTeam) + " has been eliminated!",
                        kGameOverTextY, 255, 0, 0, 0, 0, 0);
    }
    if (exitHint) drawCentredText(target, "Push Esc To Exit", kExitHintY, 255, 255, 255, 0, 0, 0);
}
