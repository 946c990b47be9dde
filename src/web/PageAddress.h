#pragma once

#include <optional>
#include <string>

#include "game/UnitCounts.h"

// The battle a page's address asks for: ?seed=N&counts=a,b,c,d,e,f&loop=1&t=1:30, the counts
// in the command line's order (blue riflemen, tanks, snipers, red riflemen, tanks, snipers), t
// the moment the battle opens at, paused, as battle --at takes it. Every value may be left
// out; other names in the address are not the page's and are let be.
struct PageAddress {
    std::optional<unsigned> seed;  // none: the page picks one
    UnitCounts counts;             // the defaults when not given
    bool loop = false;             // the endless show
    std::optional<int> at;         // the logical frame to open at, paused; none: the start, playing
    std::string error;             // what was wrong with the address; empty when it is good
};

// Reads the address's values as the browser decoded them; a null value was not given. A bad
// seed (not a number from 0 to 4294967295) or loop (neither 0 nor 1) gives the default battle,
// all values dropped, with error saying what was wrong in one line. Bad counts (not six whole
// numbers, or one out of an int's range, which is named) give the default armies alone: the
// seed and the other values are kept. A bad moment (empty, not a time, negative, past 10 hours)
// drops the moment alone: the battle of the other values plays from its start, and error says so.
PageAddress readPageAddress(const char* seed, const char* counts, const char* loop, const char* moment = nullptr);

// The address's query that plays the battle again: "?seed=11", with "&counts=..." when the
// counts are not the defaults, "&loop=1" in the endless show and "&t=..." at a moment.
std::string pageQuery(unsigned seed, const UnitCounts& counts, bool loop, std::optional<int> at = std::nullopt);

// A moment as the address gives it, read back by parseMoment as the same frame: "1:30",
// "1:30.5" or "1:02:03" where the frame falls on a tenth of a second, else "5401f".
std::string addressMoment(int frame);

// What is wrong with one value of the page's battle form, in the address's words, or an empty
// text for a good value: a seed as the address takes it, one count as a value of the address's
// counts, and a moment as its t.
std::string seedProblem(const std::string& seed);
std::string countProblem(const std::string& count);
std::string momentProblem(const std::string& moment);
