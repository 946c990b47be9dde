#pragma once

struct BITMAP;
class Battlefield;

// The background of every frame, black with the terrain boxes drawn over it, kept ready to
// copy. The heights never change during a battle, so the 5120 boxes are drawn once per
// terrain instead of once per frame; a frame starts with one copy of this layer.
class TerrainLayer {
public:
    TerrainLayer() = default;
    ~TerrainLayer();
    TerrainLayer(const TerrainLayer&) = delete;
    TerrainLayer& operator=(const TerrainLayer&) = delete;

    // Leaves target exactly as clearing it to black and drawing the terrain would.
    void drawInto(BITMAP* target, const Battlefield& field);

private:
    BITMAP* layer_ = nullptr;        // the cached background
    unsigned long terrainStamp_ = 0; // which terrain the layer shows; 0 none yet
};
