#include "game/Timeline.h"

#include <algorithm>

#include "game/Moment.h"
#include "world/Battlefield.h"

void Timeline::reset(const Battle& battle)
{
    keyframes_.clear();
    spacing_ = kFirstSpacing;
    bytes_ = 0;
    last_ = frameOf(battle);
    seen_ = last_;
    endFrame_ = battle.over() ? battle.endPass() : -1;
    eliminatedTeam_ = battle.field().eliminatedTeam;
    course_ = battle.course();
    keep(battle);
}

int Timeline::frameOf(const Battle& battle)
{
    return battle.over() ? battle.endPass() : battle.passes();
}

void Timeline::note(const Battle& battle)
{
    const int frame = frameOf(battle);
    if (frame == last_) return;  // the battle stands still after its end
    last_ = frame;
    if (battle.over() && endFrame_ < 0) {
        endFrame_ = battle.endPass();
        eliminatedTeam_ = battle.field().eliminatedTeam;
    }
    if (frame > seen_) {
        seen_ = frame;
        const std::vector<AliveSample>& course = battle.course();
        if (course.size() > course_.size())
            course_.insert(course_.end(), course.begin() + course_.size(), course.end());
    }
    if (frame % spacing_ == 0 && frame > keyframes_.back().frame) keep(battle);
}

void Timeline::keep(const Battle& battle)
{
    const std::size_t bytes = battle.memoryBytes();
    keyframes_.push_back({frameOf(battle), battle, bytes});
    bytes_ += bytes;
    // Over the budget, every other keyframe goes (the first stays) and they come half as often.
    while (bytes_ > kKeyframeBudget && keyframes_.size() > 1) {
        spacing_ *= 2;
        std::vector<Keyframe> kept;
        bytes_ = 0;
        for (Keyframe& keyframe : keyframes_) {
            if (&keyframe != &keyframes_.front() && keyframe.frame % spacing_ != 0) continue;
            bytes_ += keyframe.bytes;
            kept.push_back(std::move(keyframe));
        }
        keyframes_ = std::move(kept);
    }
}

void Timeline::seek(Battle& battle, int frame)
{
    frame = std::clamp(frame, 0, ended() ? endFrame_ : kLatestMoment);
    const int now = frameOf(battle);
    if (frame == now) return;
    // The nearest keyframe at or before the frame, unless the battle itself is nearer.
    const auto after = std::upper_bound(keyframes_.begin(), keyframes_.end(), frame,
                                        [](int f, const Keyframe& k) { return f < k.frame; });
    const bool fromKeyframe = after != keyframes_.begin() && (frame < now || std::prev(after)->frame > now);
    if (fromKeyframe) {
        battle = std::prev(after)->battle;
    } else if (frame < now) {
        // Before the first keyframe (a battle first seen after its start): from its start.
        const bool watched = battle.watched();
        battle = Battle(battle.counts(), battle.seed());
        battle.setWatched(watched);
    }
    last_ = frameOf(battle);
    playTo(battle, frame);
}

void Timeline::seekToEnd(Battle& battle)
{
    seek(battle, endMoment(battle));
}

int Timeline::endMoment(const Battle& battle) const
{
    return ended() ? endFrame_ : std::max(kPlayAheadFrames, frameOf(battle));
}

void Timeline::playTo(Battle& battle, int frame)
{
    while (frameOf(battle) < frame && !battle.over()) {
        battle.frame();
        note(battle);
    }
}
