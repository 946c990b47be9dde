#pragma once

class OddsCourse;
class Surface;
class Timeline;

// The timeline as the desktop shows it, a thin panel across the bottom of the field above the
// exit hint: the time and frame shown, the course of the battle seen so far, the part of the
// battle seen, ticks where the reinforcement waves come, a mark where a base fell, and the
// playhead; with the odds, red's chance to win as a line over the chart (the top is a sure win
// for red, the foot one for blue) and the turning points as green ticks on the track. The track spans the whole battle once its end is known, else what has been seen
// rounded up to the next wave.
class TimelineBar {
public:
    static constexpr int kLeft = 40;  // the track and the chart, left to right
    static constexpr int kRight = 1239;
    static constexpr int kTop = 914;  // the panel, top to bottom: clear of the blue base's roof
    static constexpr int kBottom = 973;

    // The timeline as it stands, at this frame; with the odds known so far, or none.
    TimelineBar(const Timeline& timeline, int frame, const OddsCourse* odds = nullptr);

    void draw(Surface& target) const;
    // The frame a click at (x, y) asks for, or -1 when the click is not on the track or chart.
    int frameAt(int x, int y) const;

    int span() const { return span_; }

private:
    const Timeline& timeline_;
    int frame_;
    const OddsCourse* odds_;
    int span_;
};
