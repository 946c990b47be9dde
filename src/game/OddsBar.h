#pragma once

#include <string>

struct OddsCounts;
class Surface;

// Each side's chance to win at a glance, a slim bar across the top of the field above the
// countdown text: red's share from the left, blue's from the right, the unfinished rollouts
// grey between, with "Red 63%" to its left and "37% Blue" to its right. Before the first odds
// are known the bar is grey and the shares read "--".
class OddsBar {
public:
    static constexpr int kLeft = 440;  // the bar, left to right
    static constexpr int kRight = 839;
    static constexpr int kTop = 12;  // and top to bottom: clear of the countdown text at y 32
    static constexpr int kBottom = 17;

    explicit OddsBar(const OddsCounts* odds) : odds_(odds) {}
    void draw(Surface& target) const;

    // A side's chance as the bar writes it, in whole percent rounded half up: "63%", or "--%".
    static std::string percentText(int won, int rollouts);

private:
    const OddsCounts* odds_;  // null while none are known
};
