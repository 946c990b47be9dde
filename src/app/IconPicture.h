#pragma once

#include <cstdint>
#include <vector>

// The program's icon, drawn by the game's own drawing code: a blue base on a hill with its
// riflemen, a sniper and a tank, under fire from a red tank, rifleman and sniper. The scene
// fills kScenePixels square at the game's own scale; larger icons enlarge it by a whole
// number, pixel for pixel, and show a little more of the ground around it.
class IconPicture {
public:
    static constexpr int kScenePixels = 48;  // three cells: the smallest icon shows just the scene

    // Draws the icon of size x size pixels (size >= kScenePixels). Needs the graphics
    // library started (a memory bitmap and 16-bit colours, no screen). Throws
    // std::invalid_argument for a smaller size.
    explicit IconPicture(int size);

    // How many times each drawn pixel is enlarged at this size: the largest whole number
    // that divides the size and still shows the whole scene.
    static int zoomFor(int size);

    int size() const { return size_; }
    // Red, green and blue of every pixel, row by row from the top, 3 bytes a pixel.
    const std::vector<std::uint8_t>& rgb() const { return rgb_; }

private:
    int size_;
    std::vector<std::uint8_t> rgb_;
};
