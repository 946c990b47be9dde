#include "game/UnitCounts.h"

#include <cctype>
#include <climits>

UnitCounts unitCounts;

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
    if (argc - 1 < 6) return counts;
    counts.blueSoldiers = parseCount(argv[1]);
    counts.blueTanks = parseCount(argv[2]);
    counts.blueSnipers = parseCount(argv[3]);
    counts.redSoldiers = parseCount(argv[4]);
    counts.redTanks = parseCount(argv[5]);
    counts.redSnipers = parseCount(argv[6]);
    return counts;
}
