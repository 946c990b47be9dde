#pragma once

#include <optional>
#include <string>

#include "game/UnitCounts.h"

// The battle a page's address asks for: ?seed=N&counts=a,b,c,d,e,f&loop=1, the counts in the
// command line's order (blue riflemen, tanks, snipers, red riflemen, tanks, snipers). Every
// value may be left out; other names in the address are not the page's and are let be.
struct PageAddress {
    std::optional<unsigned> seed;  // none: the page picks one
    UnitCounts counts;             // the defaults when not given
    bool loop = false;             // the endless show
    std::string error;             // what was wrong with the address; empty when it is good
};

// Reads the address's values as the browser decoded them; a null value was not given. A bad
// value (a seed that is not a number from 0 to 4294967295, counts that are not six whole
// numbers, a loop that is neither 0 nor 1) gives the default battle, all values dropped, with
// error saying what was wrong in one line.
PageAddress readPageAddress(const char* seed, const char* counts, const char* loop);

// The address's query that plays the battle again: "?seed=11", with "&counts=..." when the
// counts are not the defaults and "&loop=1" in the endless show.
std::string pageQuery(unsigned seed, const UnitCounts& counts, bool loop);

// What is wrong with one value of the page's battle form, in the address's words, or an empty
// text for a good value: a seed as the address takes it, and one count as a value of the
// address's counts.
std::string seedProblem(const std::string& seed);
std::string countProblem(const std::string& count);
