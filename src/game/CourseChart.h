#pragma once

#include <vector>

#include "game/ArmyCount.h"

class Surface;

// The course of a battle at a glance: the units alive on each side over time, a red and a blue
// line, as the results panel and the timeline draw it. Samples are a second of battle time
// apart (the last may be nearer: the frame a base fell).
class CourseChart {
public:
    // The box the chart fills, corners included, and the frames it spans from its left edge to
    // its right edge.
    CourseChart(int left, int top, int right, int bottom, int spanFrames);

    // The lines of the samples up to the frame `upTo` (a sample's frame is its second, or upTo
    // for the last one when it falls between two seconds), scaled to the most units in them.
    void draw(Surface& target, const std::vector<AliveSample>& course, int upTo) const;

    int xOf(int frame) const;  // where a frame lies, within the box
    int frameAt(int x) const;  // the frame under a column of the box

private:
    int left_, top_, right_, bottom_;
    int span_;
};
