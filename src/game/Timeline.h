#pragma once

#include <cstddef>
#include <vector>

#include "game/ArmyCount.h"
#include "game/Battle.h"
#include "world/Team.h"

// A battle's course as far as the viewer has seen it, kept so that any moment of it can be
// shown again at once. A seek lands on exactly the battle played forward to that frame: it
// copies the nearest keyframe (a copy of the battle taken every few seconds as the battle is
// played) at or before the frame and plays on from there, never from the start.
//
// A battle's time is its logical frame: the passes it has run, or, once a base has fallen,
// the pass in which it fell (the battle stands still from then on).
class Timeline {
public:
    static constexpr int kPlayAheadFrames = 36000;             // End looks this far ahead at most
    static constexpr std::size_t kKeyframeBudget = 64u << 20;  // bytes all keyframes may take
    static constexpr int kFirstSpacing = 120;                  // frames between keyframes at first

    // Starts over from this battle as it stands: its first keyframe. The battle is then the
    // one this timeline follows, frame by frame, until the next reset; its owner hands it to
    // every call below.
    void reset(const Battle& battle);

    // After every logical frame the battle plays.
    void note(const Battle& battle);

    // Replaces the battle with the battle at this frame (kept within 0 and the end once it is
    // known, or the latest moment), playing forward from the nearest keyframe.
    void seek(Battle& battle, int frame);
    // To the end of the battle (endMoment).
    void seekToEnd(Battle& battle);
    // Where the end of the battle lies, as far as it is known: the fall of a base, or else
    // kPlayAheadFrames (or the battle's own moment, when it is past that).
    int endMoment(const Battle& battle) const;

    static int frameOf(const Battle& battle);   // the battle's time
    int seen() const { return seen_; }          // the furthest frame shown so far
    int endFrame() const { return endFrame_; }  // the pass in which a base fell; -1 while not known
    bool ended() const { return endFrame_ >= 0; }
    int eliminatedTeam() const { return eliminatedTeam_; }  // of the base that fell; kNoTeam while none did
    // The units alive per side second by second, up to the furthest frame seen.
    const std::vector<AliveSample>& course() const { return course_; }

    std::size_t keyframes() const { return keyframes_.size(); }
    int spacing() const { return spacing_; }
    std::size_t keyframeBytes() const { return bytes_; }

private:
    struct Keyframe {
        int frame;
        Battle battle;
        std::size_t bytes;
    };

    void keep(const Battle& battle);  // a keyframe of it, within the budget
    void playTo(Battle& battle, int frame);

    std::vector<Keyframe> keyframes_;  // by frame, the first at the battle's start
    int spacing_ = kFirstSpacing;
    std::size_t bytes_ = 0;
    int seen_ = 0;
    int endFrame_ = -1;
    int eliminatedTeam_ = kNoTeam;
    int last_ = -1;  // the frame of the battle as last seen
    std::vector<AliveSample> course_;
};
