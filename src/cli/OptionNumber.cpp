#include "cli/OptionNumber.h"

std::optional<unsigned long long> readOptionNumber(const std::string& text, unsigned long long max)
{
    if (text.empty()) return std::nullopt;
    unsigned long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > max) return std::nullopt;  // stops before the value could overflow
    }
    return value;
}
