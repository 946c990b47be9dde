#include "cli/CountArguments.h"

#include <cctype>
#include <climits>

#include "cli/OptionNumber.h"

int parseCount(const char* text)
{
    if (text == nullptr) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (std::isspace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Accumulate in a wide type and stop growing once beyond the int range.
    long long value = 0;
    const long long limit = static_cast<long long>(INT_MAX) + 1;
    while (std::isdigit(*p)) {
        value = value * 10 + (*p - '0');
        if (value > limit) value = limit;
        ++p;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

UnitCounts parseUnitCounts(int argc, const char* const* argv)
{
    UnitCounts counts;
    if (argc - 1 < kCountNames) return counts;
    for (int count = 0; count < kCountNames; ++count) setCount(counts, count, parseCount(argv[count + 1]));
    return counts;
}

std::optional<int> readWholeCount(const std::string& text)
{
    const bool negative = !text.empty() && text[0] == '-';
    // INT_MIN's magnitude is one more than INT_MAX's.
    const unsigned long long largest = negative ? static_cast<unsigned long long>(INT_MAX) + 1 : INT_MAX;
    const auto magnitude = readOptionNumber(negative ? text.substr(1) : text, largest);
    if (!magnitude) return std::nullopt;
    const long long value = static_cast<long long>(*magnitude);
    return static_cast<int>(negative ? -value : value);
}
