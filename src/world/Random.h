#pragma once

#include <cstdint>

// The battle's random numbers: exactly the sequence the GNU C library's rand() gives after
// srand(seed), made here so that a seed means the same battle with any C library (a browser's
// included). An additive feedback generator: 34 words seeded with the 16807 multiplier, the
// first 310 outputs thrown away, then r[i] = r[i-3] + r[i-31] and the output is r[i] >> 1.
// Every battle has one of its own, and every draw of that battle comes from it; a copy goes on
// with the same numbers.
class Random {
public:
    explicit Random(unsigned seed = 1) { reseed(seed); }

    void reseed(unsigned seed);  // as srand(seed); seed 0 acts as 1, as in the C library
    int next();                  // as rand(): 0 .. 2147483647

private:
    static constexpr int kWords = 31;       // the words the recurrence looks back over
    static constexpr int kSeparation = 3;   // the nearer of the two words added
    static constexpr int kDiscarded = 310;  // outputs thrown away after seeding

    std::uint32_t words_[kWords] = {};  // the last 31 values of the recurrence, a ring
    int front_ = 0;                     // the word r[i-3], added to and overwritten
    int rear_ = 0;                      // the word r[i-31]
};
