#include "web/PageBattle.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <sstream>
#include <utility>

#include "game/ArmyCount.h"
#include "game/Countdown.h"
#include "game/FrameRender.h"
#include "game/HudText.h"
#include "game/ResultsPanel.h"
#include "game/StateDigest.h"
#include "game/TimelineBar.h"
#include "world/Battlefield.h"

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
    : watched_(address.counts, address.seed.value_or(pickedSeed), address.loop),
      clock_(clock),
      ticks_(clock),
      addressError_(address.error),
      rgba_(static_cast<size_t>(kScreenWidth) * kScreenHeight, rgbaOfPixels()[0]),
      shown_(static_cast<size_t>(kScreenWidth) * kScreenHeight, 0)
{
    if (address.at) {
        watched_.startAt(0);  // paused, then ahead to the moment
        seekTo(*address.at);
    }
}

bool PageBattle::frame()
{
    if (goal_ || grabbed_) {
        ticks_.store(0);  // the battle stands meanwhile, and no backlog follows
        if (!goal_) return false;
        goAhead();
        draw();
        return true;
    }
    if (ticks_.held()) {
        // Held, every step is a frame: where the desktop would wait for the next tick (after a
        // key dropped the due ones), the clock moves on by one.
        if (ticks_.load() == 0) return false;
        watched_.runFrame(ticks_, [this] { ticks_.fetch_add(1); });
    } else if (!watched_.runFrameIfDue(ticks_)) {
        return false;  // the browser asks again for its next picture; it is never kept waiting
    }
    draw();
    return true;
}

void PageBattle::draw()
{
    drawShownFrame(watched_, canvas_.canvas(), false);
    handOver();
}

void PageBattle::handOver()
{
    // From one frame to the next most of the field (the terrain) stays as it was: only the
    // pixels that changed are turned into RGBA, found four at a time (by the scaler when the
    // frame is shrunk, which averages again only what they reach).
    const RgbaTable& table = rgbaOfPixels();
    if (scaler_ != nullptr) {
        scaler_->update(frameRows_.data(), scaledRows_.data());
        for (const std::uint32_t at : scaler_->written()) rgba_[at] = table[scaled_[at]];
        return;
    }
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

void PageBattle::showAt(int width, int height)
{
    width = std::clamp(width, 1, kScreenWidth);
    height = std::clamp(height, 1, kScreenHeight);
    if (width == shownWidth_ && height == shownHeight_) return;
    shownWidth_ = width;
    shownHeight_ = height;
    const size_t size = static_cast<size_t>(width) * height;
    // Everything is handed over afresh: the buffers start black, as the first frame did.
    rgba_.assign(size, rgbaOfPixels()[0]);
    scaled_.clear();
    scaledRows_.clear();
    frameRows_.clear();
    scaler_.reset();
    if (width == kScreenWidth && height == kScreenHeight) {
        std::fill(shown_.begin(), shown_.end(), 0);
    } else {
        scaler_ = std::make_unique<AreaScaler>(kScreenWidth, kScreenHeight, width, height);
        scaled_.assign(size, 0);
        for (int y = 0; y < height; ++y) scaledRows_.push_back(&scaled_[static_cast<size_t>(y) * width]);
        for (int y = 0; y < kScreenHeight; ++y) frameRows_.push_back(&canvas_.pixels().pixels()[static_cast<size_t>(y) * kScreenWidth]);
    }
    handOver();
}

void PageBattle::dropDueTicks()
{
    ticks_.store(0);
}

void PageBattle::pressKey(char key)
{
    switch (key) {
        case ' ':
            goal_.reset();
            watched_.togglePause();
            break;
        case '+':
        case '=': watched_.faster(); break;
        case '-': watched_.slower(); break;
        case '1': watched_.normalSpeed(); break;
        case ',': move(Move::StepBack); break;
        case '.': move(Move::StepOn); break;
        default: break;
    }
}

void PageBattle::move(Move move)
{
    switch (move) {
        case Move::Start: seekTo(0); break;
        case Move::Back: seekTo(moment() - kSeekFrames); break;
        case Move::On: seekTo(moment() + kSeekFrames); break;
        case Move::StepBack:
        case Move::StepOn:
            if (!watched_.paused()) watched_.togglePause();
            seekTo(moment() + (move == Move::StepOn ? 1 : -1));
            break;
        case Move::End: seekTo(watched_.timeline().endMoment(watched_.battle())); break;
    }
}

void PageBattle::seekTo(int frame)
{
    goal_.reset();
    const int seen = watched_.timeline().seen();
    if (frame > seen) {
        // Beyond what was seen the battle must be played: from the furthest moment seen (a
        // keyframe away), then a slice at a time.
        if (moment() < seen) watched_.seekTo(seen);
        goal_ = frame;
        goAhead();
    } else {
        watched_.seekTo(frame);
    }
    draw();
}

void PageBattle::goAhead()
{
    constexpr int kSlice = 20;  // frames between two looks at the clock (a packed battle takes up to 10 ms for them)
    const double start = clock_();
    while (goal_) {
        const int to = std::min(*goal_, moment() + kSlice);
        watched_.seekTo(to);
        // There, or the battle ended first (a seek stops at its end, and at the latest moment).
        if (moment() >= *goal_ || moment() < to) {
            goal_.reset();
        } else if (clock_() - start >= kAheadMilliseconds) {
            return;
        }
    }
}

int PageBattle::span() const
{
    return TimelineBar(watched_.timeline(), moment()).span();
}

void PageBattle::newBattle()
{
    goal_.reset();
}

void PageBattle::nextBattle()
{
    watched_.next();
    newBattle();
}

void PageBattle::previousBattle()
{
    watched_.previous();
    newBattle();
}

void PageBattle::replay()
{
    watched_.replay();
    newBattle();
}

std::string PageBattle::query() const
{
    // Playing ahead, the moment it is going to: a link copied meanwhile opens there.
    const std::optional<int> at = watched_.paused() ? std::optional<int>(goal_.value_or(moment())) : std::nullopt;
    return pageQuery(seed(), battle().counts(), watched_.loop(), at);
}

std::string PageBattle::title() const
{
    std::string title = windowTitle(battle().seed());
    if (battle().over()) {
        const std::string side = teamName(battle().field().eliminatedTeam);  // "Blue Team"
        title += " - " + side.substr(0, side.find(' ')) + " eliminated";
    }
    return title;
}

std::string PageBattle::description() const
{
    std::ostringstream text;
    text << "Battle of seed " << battle().seed() << ":";
    // The counts in the command line's order: blue's three kinds, then red's.
    const char* const kinds[] = {"riflemen", "tanks", "snipers"};
    for (int side = 0; side < 2; ++side) {
        text << (side == 0 ? " blue" : "; red");
        for (int kind = 0; kind < 3; ++kind) {
            text << (kind == 0 ? " " : ", ") << std::max(0, countOf(battle().counts(), 3 * side + kind)) << " "
                 << kinds[kind];
        }
    }
    return text.str();
}

std::string PageBattle::message() const
{
    if (!addressError_.empty()) return addressError_;
    if (!neitherArmyHasAUnit(battle().counts())) return "";
    return watched_.loop() ? "Neither army has a unit: nothing will happen, and the next seed follows after 10 seconds."
                            : "Neither army has a unit: nothing will happen.";
}

std::string PageBattle::countdown() const
{
    return countdownText(battle().reinforcementTimer());
}

std::string PageBattle::results() const
{
    if (!battle().over()) return "";
    const ArmyCount left = countArmies(battle().field());
    std::ostringstream json;
    json << "{\"eliminated\":\"" << teamName(battle().field().eliminatedTeam) << "\",\"length\":\""
         << ResultsPanel::lengthText(battle().endPass()) << "\",\"frames\":" << battle().endPass() << ",\"left\":[";
    for (int team = 0; team < kSides; ++team) {
        const int* units = left.units[team];
        json << (team == 0 ? "[" : ",[") << units[kRiflemenKind] << "," << units[kSnipersKind] << ","
             << units[kTanksKind] << "]";
    }
    json << "],\"seed\":" << battle().seed() << "}";
    return json.str();
}

void PageBattle::hold()
{
    ticks_.hold();
    ticks_.store(0);
    watched_.replay();
    grabbed_ = false;
    newBattle();
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
    return ::digestChain(watched_, maxFrames);
}

std::uint64_t PageBattle::seekChain(unsigned scriptSeed, int moves)
{
    hold();
    return ::seekChain(watched_, scriptSeed, moves);
}
