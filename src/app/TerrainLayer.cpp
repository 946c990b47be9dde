#include "app/TerrainLayer.h"

#include <allegro.h>

#include "app/Canvas.h"
#include "world/Battlefield.h"

TerrainLayer::~TerrainLayer()
{
    if (layer_ != nullptr) destroy_bitmap(layer_);
}

void TerrainLayer::drawInto(BITMAP* target, const Battlefield& field)
{
    const bool sizeChanged = layer_ != nullptr && (layer_->w != target->w || layer_->h != target->h);
    if (layer_ == nullptr || sizeChanged || terrainStamp_ != field.terrainStamp()) {
        if (layer_ != nullptr) destroy_bitmap(layer_);
        layer_ = create_bitmap_ex(bitmap_color_depth(target), target->w, target->h);
        // drawTerrain draws into the program's back buffer: point it at the layer meanwhile.
        Canvas painter;
        painter.backBuffer = layer_;
        Canvas* previous = installCanvas(&painter);
        clear_to_color(layer_, makecol(0, 0, 0));
        drawTerrain(field);
        installCanvas(previous);
        terrainStamp_ = field.terrainStamp();
    }
    blit(layer_, target, 0, 0, 0, 0, target->w, target->h);
}
