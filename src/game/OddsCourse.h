#pragma once

#include <map>
#include <optional>
#include <vector>

#include "game/DueTicks.h"
#include "game/OddsCounts.h"
#include "game/TurningPoints.h"

// The odds of a watched battle as far as they have been worked out: each side's chance to win
// at moments a second of battle time apart, each from kLiveRollouts rollouts (game/Rollout.h),
// and at the fall of a base. Only moments the viewer has seen are asked for, the newest first,
// so the turning points they show never give away what is still to come, unless the viewer
// went to the end. Whoever works a moment out (a thread of the desktop's, the spare time of a
// page's frames, a clip's recorder) hands the counts back here.
constexpr int kOddsSpacing = kTicksPerSecond;  // frames between two moments
constexpr int kLiveRollouts = 32;              // rollouts of each moment

class OddsCourse {
public:
    // Another battle: nothing is known, and counts worked out for the one before are refused.
    void reset();
    unsigned generation() const { return generation_; }

    // The moment to work out next, or none: the newest moment not yet known (nor taken) at or
    // before `shown`, else at or before `seen`. Moments are the multiples of kOddsSpacing, and
    // `end` (the frame a base fell, when it did), beyond which there are none.
    std::optional<int> wanted(int shown, int seen, std::optional<int> end) const;
    void take(int frame) { taken_ = frame; }  // being worked out: not wanted again meanwhile
    void drop() { taken_.reset(); }           // no longer being worked out

    // The counts of a moment of the battle of this generation; false (and nothing kept) for
    // another battle's.
    bool add(unsigned generation, const OddsCounts& counts);

    // The newest moment known at or before the frame, or null.
    const OddsCounts* at(int frame) const;
    std::vector<OddsCounts> course() const;  // every moment known, by frame
    // The course's turning points, largest swing first, as turningPoints finds them.
    const std::vector<TurningPoint>& turningPoints() const { return turning_; }
    // The frame of the turning point nearest before (direction < 0) or after (> 0) the frame.
    std::optional<int> turningPointNear(int frame, int direction) const;

private:
    std::map<int, OddsCounts> known_;
    std::vector<TurningPoint> turning_;
    std::optional<int> taken_;
    unsigned generation_ = 0;
};
