#include "web/PageBattle.h"

#include <array>
#include <cstring>
#include <utility>

#include "game/FrameRender.h"
#include "game/StateDigest.h"

namespace {

// One 16-bit pixel as the four bytes R, G, B, A of a canvas, the channels stretched to 0..255.
using RgbaTable = std::array<std::uint32_t, 1 << 16>;

const RgbaTable& rgbaOfPixels()
{
    static const RgbaTable table = [] {
        RgbaTable made{};
        for (std::uint32_t value = 0; value < made.size(); ++value) {
            const std::uint32_t r = ((value >> 11) * 255 + 15) / 31;
            const std::uint32_t g = (((value >> 5) & 63) * 255 + 31) / 63;
            const std::uint32_t b = ((value & 31) * 255 + 15) / 31;
            made[value] = r | (g << 8) | (b << 16) | (0xffu << 24);
        }
        return made;
    }();
    return table;
}

// Pixels compared at once for a change: 8 bytes.
constexpr size_t kPixelsCompared = 4;
static_assert(kScreenWidth * kScreenHeight % kPixelsCompared == 0, "whole groups of pixels");

}  // namespace

PageBattle::PageBattle(const PageAddress& address, unsigned pickedSeed, std::function<double()> clock)
    : battle_(address.counts, address.seed.value_or(pickedSeed)),
      playback_(address.loop),
      ticks_(std::move(clock)),
      message_(address.error),
      rgba_(static_cast<size_t>(kScreenWidth) * kScreenHeight, rgbaOfPixels()[0]),
      shown_(static_cast<size_t>(kScreenWidth) * kScreenHeight, 0)
{
}

bool PageBattle::frame()
{
    if (ticks_.held()) {
        // Held, every step is a frame: where the desktop would wait for the next tick (after a
        // key dropped the due ones), the clock moves on by one.
        if (ticks_.load() == 0) return false;
        playback_.runFrame(battle_, ticks_, [this] { ticks_.fetch_add(1); });
    } else if (!playback_.runFrameIfDue(battle_, ticks_)) {
        return false;  // the browser asks again for its next picture; it is never kept waiting
    }
    draw();
    return true;
}

void PageBattle::draw()
{
    drawShownFrame(battle_, playback_, canvas_.canvas());
    // From one frame to the next most of the field (the terrain) stays as it was: only the
    // pixels that changed are turned into RGBA, found four at a time.
    const RgbaTable& table = rgbaOfPixels();
    const std::uint16_t* pixels = canvas_.pixels().pixels();
    std::uint16_t* shown = shown_.data();
    for (size_t n = 0; n < shown_.size(); n += kPixelsCompared) {
        if (std::memcmp(pixels + n, shown + n, sizeof(std::uint16_t) * kPixelsCompared) == 0) continue;
        for (size_t k = n; k < n + kPixelsCompared; ++k) {
            shown[k] = pixels[k];
            rgba_[k] = table[pixels[k]];
        }
    }
}

void PageBattle::dropDueTicks()
{
    ticks_.store(0);
}

void PageBattle::pressKey(char key)
{
    switch (key) {
        case ' ': playback_.togglePause(); break;
        case '+':
        case '=': playback_.faster(); break;
        case '-': playback_.slower(); break;
        case '1': playback_.normalSpeed(); break;
        default: break;
    }
}

void PageBattle::nextBattle()
{
    battle_.restart(battle_.seed() + 1);
}

std::string PageBattle::query() const
{
    return pageQuery(battle_.seed(), battle_.counts(), playback_.loop());
}

void PageBattle::hold()
{
    ticks_.hold();
    ticks_.store(0);
    battle_.restart(battle_.seed());
}

void PageBattle::step(int frames)
{
    for (int n = 0; n < frames; ++n) {
        ticks_.fetch_add(1);
        frame();
    }
}

std::uint64_t PageBattle::digestChain(int maxFrames)
{
    hold();
    return ::digestChain(battle_, maxFrames);
}
