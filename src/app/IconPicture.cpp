#include "app/IconPicture.h"

#include <allegro.h>

#include <stdexcept>
#include <string>

#include "bitmap/MemoryCanvas.h"
#include "effects/Projectile.h"
#include "game/FrameRender.h"
#include "units/Base.h"
#include "units/Soldier.h"
#include "units/Tank.h"
#include "world/Battlefield.h"
#include "world/Random.h"

namespace {

// The scene's cells, in the middle of the field so that a larger icon finds ground around it.
constexpr int kSceneCells = IconPicture::kScenePixels / kCellPixels;
constexpr int kSceneColumn = kColumns / 2 - 1;  // the scene's top-left cell
constexpr int kSceneRow = kRows / 2 - 1;

// Units drawn at a fixed size, so that the icon never depends on the random generator.
// (What they draw at random comes from a generator of the icon's own and is then set.)
Soldier* addSoldier(Battlefield& field, Random& random, int team, int x, int y, SoldierKind kind, int size, Mode mode)
{
    auto* soldier = static_cast<Soldier*>(field.registerUnit(std::make_unique<Soldier>(random, team, x, y, kind)));
    soldier->size = static_cast<float>(size);
    soldier->setMode(field, mode);
    return soldier;
}

Tank* addTank(Battlefield& field, int team, int x, int y, int size, Mode mode)
{
    auto* tank = static_cast<Tank*>(field.registerUnit(std::make_unique<Tank>(team, x, y, 255, size, 10)));
    tank->setMode(field, mode);
    return tank;
}

// Blue holds the bottom of the picture, as it holds the bottom of the field; red comes from
// the top. Cells are relative to the scene's top-left cell.
void buildScene(Battlefield& field)
{
    Random random;
    const int c = kSceneColumn;
    const int r = kSceneRow;
    // Ground rising towards the blue side, the base on top of a hill.
    for (int x = -1; x <= kSceneCells; ++x) {
        for (int y = -1; y <= kSceneCells; ++y) field.setHeight(c + x, r + y, 2 * (y + 2));
    }
    field.setHeight(c + 1, r + 2, 11);

    Soldier* redRifleman = addSoldier(field, random, kRedTeam, c, r, SoldierKind::Rifleman, 4, Mode::Engage);
    Tank* redTank = addTank(field, kRedTeam, c + 1, r, 5, Mode::Bombard);
    addSoldier(field, random, kRedTeam, c + 2, r, SoldierKind::Sniper, 3, Mode::Engage);
    addSoldier(field, random, kBlueTeam, c, r + 1, SoldierKind::Rifleman, 4, Mode::Engage);
    addSoldier(field, random, kBlueTeam, c + 2, r + 1, SoldierKind::Sniper, 3, Mode::Engage);
    addSoldier(field, random, kBlueTeam, c, r + 2, SoldierKind::Rifleman, 3, Mode::Advance);
    field.registerUnit(std::make_unique<Base>(kBlueTeam, c + 1, r + 2));
    addTank(field, kBlueTeam, c + 2, r + 2, 4, Mode::Advance);

    redTank->aimPoint = {static_cast<float>(c + 1), static_cast<float>(r + 2)};  // shelling the base
    // A shot half-way from the red rifleman to the blue one below it.
    const float x = static_cast<float>(cellCentre(c));
    const float y = static_cast<float>(cellCentre(r));
    field.addObject(std::make_unique<Projectile>(random, redRifleman, 10.0f, 2, 255, 255, 0, 5, x, y + kCellPixels / 2,
                                                 x, y + kCellPixels));
}

}  // namespace

int IconPicture::zoomFor(int size)
{
    int zoom = 1;
    for (int z = 2; size / z >= kScenePixels; ++z) {
        if (size % z == 0) zoom = z;
    }
    return zoom;
}

IconPicture::IconPicture(int size) : size_(size)
{
    // The square of the drawing that the icon shows, centred on the scene.
    const int zoom = zoomFor(size);
    const int window = size / zoom;
    const int left = kSceneColumn * kCellPixels + kScenePixels / 2 - window / 2;
    const int top = kSceneRow * kCellPixels + kScenePixels / 2 - window / 2;
    if (size < kScenePixels || left < 0 || top < 0 || left + window > kScreenWidth || top + window > kScreenHeight) {
        throw std::invalid_argument("no icon of " + std::to_string(size) + " pixels: it shows the scene of " +
                                    std::to_string(kScenePixels) + " pixels and the field around it");
    }

    MemoryCanvas canvas;
    Battlefield field;
    buildScene(field);
    drawTerrain(field, canvas.surface());
    for (const std::unique_ptr<Renderer>& object : field.objects) object->draw(canvas.surface());

    rgb_.reserve(static_cast<std::size_t>(size) * size * 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int pixel = getpixel(canvas.bitmap(), left + x / zoom, top + y / zoom);
            rgb_.push_back(static_cast<std::uint8_t>(getr_depth(kColourDepth, pixel)));
            rgb_.push_back(static_cast<std::uint8_t>(getg_depth(kColourDepth, pixel)));
            rgb_.push_back(static_cast<std::uint8_t>(getb_depth(kColourDepth, pixel)));
        }
    }
}
