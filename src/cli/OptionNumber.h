#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

// The largest seed a command line or a page's address takes: a seed is a 32-bit number.
constexpr unsigned long long kMaxSeed = std::numeric_limits<std::uint32_t>::max();
static_assert(std::numeric_limits<unsigned>::max() >= kMaxSeed, "a seed is kept in an unsigned");

// The value of a numeric option: plain decimal digits and nothing else (no sign, no space, no
// base prefix), at most max; none otherwise. Stricter than a count: a seed or a frame count
// that is not quite a number is a mistake to report, not a 0 to play with.
std::optional<unsigned long long> readOptionNumber(const std::string& text, unsigned long long max);
