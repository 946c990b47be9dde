#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct BITMAP;

// Half-size pictures of 16-bit frames in one fixed palette of 256 colours, for the clip.
//
// The palette first holds, exactly as the 16-bit back buffer holds them, the colours the battle
// draws: black and the 15 terrain greys, white, the yellow of shots, the teams' pure, dim and
// bright colours and their aim lines, and every shade of red alone and of blue alone (the
// tanks' shades, the debris fading to black). Then an 11 x 11 grid of oranges (red and green)
// for the sparks and explosions, and a 4 x 4 x 4 colour cube for any other colour. Its last
// entry is kept free for transparency. A back-buffer pixel is mapped to the entry of the same
// 16-bit value when there is one, else to the nearest (plain distance in 8-bit RGB).
//
// Shrinking keeps one pixel of each 2 x 2 block: the first one, in the order top-left,
// top-right, bottom-left, bottom-right, that is not terrain (black or a terrain grey), else
// the top-left one. So the greys stay true (no blending) and a shot or a spark one pixel
// wide still shows.
class ClipPalette {
public:
    static constexpr int kColours = 256;
    static constexpr int kTransparent = kColours - 1;  // the entry no pixel is mapped to
    static constexpr int kShrink = 2;                  // frame pixels per picture pixel, each way

    struct Rgb {
        std::uint8_t r, g, b;
    };

    // Needs the graphics library set up: the entries are keyed by 16-bit pixel values.
    ClipPalette();

    // The entries, kColours of them; those past size() and the transparent one are black.
    const std::array<Rgb, kColours>& colours() const { return colours_; }
    int size() const { return used_; }

    // The entry a 16-bit pixel value is drawn with.
    int indexOf(int pixel) const { return index_[static_cast<std::uint16_t>(pixel)]; }

    // Writes the picture of a 16-bit frame, half its width and height, one entry per pixel,
    // row after row.
    void shrink(const BITMAP* frame, std::vector<std::uint8_t>& picture) const;

private:
    void add(int r, int g, int b);  // adds an entry unless its 16-bit value has one

    std::array<Rgb, kColours> colours_{};
    int used_ = 0;                       // entries filled so far
    std::vector<std::uint8_t> index_;    // by 16-bit pixel value: entry
    std::vector<std::uint8_t> terrain_;  // by 16-bit pixel value: 1 for terrain
    std::vector<int> keyOf_;             // by entry: its 16-bit pixel value
};
