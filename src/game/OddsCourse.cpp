#include "game/OddsCourse.h"

#include <algorithm>

void OddsCourse::reset()
{
    known_.clear();
    turning_.clear();
    taken_.reset();
    ++generation_;
}

std::optional<int> OddsCourse::wanted(int shown, int seen, std::optional<int> end) const
{
    auto unknown = [this](int frame) { return known_.count(frame) == 0 && taken_ != frame; };
    for (const int limit : {shown, seen}) {
        if (limit < 0) continue;
        // The end first, when it has been seen: the odds there are the battle's outcome.
        if (end && *end <= limit && unknown(*end)) return *end;
        const int last = end ? std::min(limit, *end) : limit;
        for (int frame = last - last % kOddsSpacing; frame >= 0; frame -= kOddsSpacing) {
            if (unknown(frame)) return frame;
        }
    }
    return std::nullopt;
}

bool OddsCourse::add(unsigned generation, const OddsCounts& counts)
{
    if (generation != generation_) return false;
    if (taken_ == counts.frame) taken_.reset();
    known_[counts.frame] = counts;
    turning_ = ::turningPoints(course());
    return true;
}

const OddsCounts* OddsCourse::at(int frame) const
{
    auto after = known_.upper_bound(frame);
    if (after == known_.begin()) return nullptr;
    return &std::prev(after)->second;
}

std::vector<OddsCounts> OddsCourse::course() const
{
    std::vector<OddsCounts> course;
    course.reserve(known_.size());
    for (const auto& moment : known_) course.push_back(moment.second);
    return course;
}

std::optional<int> OddsCourse::turningPointNear(int frame, int direction) const
{
    std::optional<int> nearest;
    for (const TurningPoint& point : turning_) {
        const bool beyond = direction < 0 ? point.frame < frame : point.frame > frame;
        if (beyond && (!nearest || (direction < 0 ? point.frame > *nearest : point.frame < *nearest)))
            nearest = point.frame;
    }
    return nearest;
}
