#pragma once

#include <optional>
#include <string>

#include "game/DueTicks.h"

// The latest moment anyone may ask for: 10 hours of battle.
constexpr int kLatestMoment = 10 * 3600 * kTicksPerSecond;

// A moment of a battle as people write it, as the logical frame it names: "1:30" or "1:30.5"
// (minutes and seconds), "1:02:03.5" (hours too), "90" or "90.5" (seconds) or "5400f" (frames).
// Parts of a second are cut to whole frames. None when the text is not such a moment, or it
// lies past kLatestMoment; a minus sign is no moment either.
std::optional<int> parseMoment(const std::string& text);

// A moment as people write it, cut to tenths of a second, the way parseMoment reads it back:
// "0:42", "1:30.5" (the tenths shown when they are not 0), "1:02:03" from an hour on.
std::string momentText(int frame);
