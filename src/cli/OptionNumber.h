#pragma once

#include <optional>
#include <string>

// The value of a numeric option: plain decimal digits and nothing else (no sign, no space, no
// base prefix), at most max; none otherwise. Stricter than a count: a seed or a frame count
// that is not quite a number is a mistake to report, not a 0 to play with.
std::optional<unsigned long long> readOptionNumber(const std::string& text, unsigned long long max);
