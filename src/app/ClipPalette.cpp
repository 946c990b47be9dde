#include "app/ClipPalette.h"

#include <allegro.h>

#include <limits>
#include <stdexcept>

#include "units/Entity.h"
#include "world/Grid.h"

namespace {
constexpr int kPixelValues = 1 << 16;
constexpr int kTeams = 2;
constexpr Mode kModes[] = {Mode::Advance, Mode::Engage, Mode::Travel, Mode::Bombard};
constexpr int kAimLineShade = -150;  // a tank's aim line is its team colour darkened by this much

// Levels of the orange grid, red and green alike: sparks and explosions start at red 200..249
// and green 128..255 and lose 20 of each per frame, so both run down to 0. Eleven levels keep
// every such colour within 13 of an entry in each channel and leave room for the cube.
constexpr int kOrangeLevels[] = {0, 25, 51, 76, 102, 127, 153, 178, 204, 229, 255};
// Levels of the cube that catches any colour the battle does not draw today.
constexpr int kCubeLevels[] = {0, 85, 170, 255};

// A channel of 5 bits as 8, filling the low bits as the top ones (31 gives 255).
int expandFive(int channel)
{
    return (channel << 3) | (channel >> 2);
}
}  // namespace

ClipPalette::ClipPalette() : index_(kPixelValues, 0), terrain_(kPixelValues, 0)
{
    add(0, 0, 0);
    for (int h = 1; h <= kMaxHeight; ++h) {
        const int grey = kCellPixels * h;  // as the terrain is painted
        add(grey, grey, grey);
    }
    for (int pixel : keyOf_) terrain_[static_cast<std::uint16_t>(pixel)] = 1;

    add(255, 255, 255);  // snipers' crosses, bombarding tanks, texts
    add(255, 255, 0);    // shots
    for (int team = 0; team < kTeams; ++team) {
        const Colour pure = teamColour(team);
        add(pure.r, pure.g, pure.b);
        for (const Mode mode : kModes) {
            const Colour c = modeColour(team, mode);
            add(c.r, c.g, c.b);
        }
        const Colour aim = addClamped(pure, {kAimLineShade, kAimLineShade, kAimLineShade});
        add(aim.r, aim.g, aim.b);
    }
    // Every shade of red alone and of blue alone: the tanks' own shades and the debris that
    // fades from red to black.
    for (int level = 1; level < 32; ++level) {
        add(expandFive(level), 0, 0);
        add(0, 0, expandFive(level));
    }
    for (int r : kOrangeLevels) {
        for (int g : kOrangeLevels) add(r, g, 0);
    }
    for (int r : kCubeLevels) {
        for (int g : kCubeLevels) {
            for (int b : kCubeLevels) add(r, g, b);
        }
    }

    // Every other pixel value takes the nearest entry.
    std::vector<std::uint8_t> keyed(kPixelValues, 0);
    for (int entry = 0; entry < used_; ++entry) {
        const auto key = static_cast<std::uint16_t>(keyOf_[static_cast<size_t>(entry)]);
        keyed[key] = 1;
        index_[key] = static_cast<std::uint8_t>(entry);
    }
    for (int pixel = 0; pixel < kPixelValues; ++pixel) {
        if (keyed[static_cast<size_t>(pixel)] != 0) continue;
        const int r = getr16(pixel), g = getg16(pixel), b = getb16(pixel);
        int best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (int entry = 0; entry < used_; ++entry) {
            const Rgb& c = colours_[static_cast<size_t>(entry)];
            const int dr = r - c.r, dg = g - c.g, db = b - c.b;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = entry;
            }
        }
        index_[static_cast<size_t>(pixel)] = static_cast<std::uint8_t>(best);
    }
}

void ClipPalette::add(int r, int g, int b)
{
    const int key = makecol16(r, g, b);
    for (int entry = 0; entry < used_; ++entry) {
        if (keyOf_[static_cast<size_t>(entry)] == key) return;
    }
    if (used_ == kTransparent) throw std::logic_error("the clip palette has no room left");
    colours_[static_cast<size_t>(used_)] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                            static_cast<std::uint8_t>(b)};
    keyOf_.push_back(key);
    ++used_;
}

void ClipPalette::shrink(const BITMAP* frame, std::vector<std::uint8_t>& picture) const
{
    const int width = frame->w / kShrink;
    const int height = frame->h / kShrink;
    picture.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    std::uint8_t* out = picture.data();
    const std::uint8_t* terrain = terrain_.data();
    const std::uint8_t* index = index_.data();
    for (int y = 0; y < height; ++y) {
        const auto* top = reinterpret_cast<const std::uint16_t*>(frame->line[kShrink * y]);
        const auto* bottom = reinterpret_cast<const std::uint16_t*>(frame->line[kShrink * y + 1]);
        for (int x = 0; x < width; ++x, top += kShrink, bottom += kShrink) {
            std::uint16_t pick = top[0];
            if (terrain[pick] != 0) {
                if (terrain[top[1]] == 0) {
                    pick = top[1];
                } else if (terrain[bottom[0]] == 0) {
                    pick = bottom[0];
                } else if (terrain[bottom[1]] == 0) {
                    pick = bottom[1];
                }
            }
            *out++ = index[pick];
        }
    }
}
