#include "world/Random.h"

void Random::reseed(unsigned seed)
{
    // The seed is taken as a signed 32-bit word, as the C library takes it.
    std::int32_t word = static_cast<std::int32_t>(seed);
    if (word == 0) word = 1;
    words_[0] = static_cast<std::uint32_t>(word);
    for (int i = 1; i < kWords; ++i) {
        // 16807 * word modulo 2^31 - 1 without overflow (Schrage's method), in 32-bit
        // signed words with division truncated toward zero.
        const std::int32_t high = word / 127773;
        const std::int32_t low = word % 127773;
        word = 16807 * low - 2836 * high;
        if (word < 0) word += 2147483647;
        words_[i] = static_cast<std::uint32_t>(word);
    }
    front_ = kSeparation;
    rear_ = 0;
    for (int n = 0; n < kDiscarded; ++n) next();
}

int Random::next()
{
    words_[front_] += words_[rear_];
    const int result = static_cast<int>(words_[front_] >> 1);
    if (++front_ == kWords) front_ = 0;
    if (++rear_ == kWords) rear_ = 0;
    return result;
}
