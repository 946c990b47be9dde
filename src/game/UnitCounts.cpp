#include "game/UnitCounts.h"

#include <cctype>
#include <climits>

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

std::optional<int> countByName(const std::string& name)
{
    for (int count = 0; count < kCountNames; ++count) {
        if (name == countName(count)) return count;
    }
    return std::nullopt;
}

std::string countNameList()
{
    std::string list = countName(0);
    for (int count = 1; count < kCountNames; ++count) {
        list += (count + 1 == kCountNames ? " or " : ", ") + std::string(countName(count));
    }
    return list;
}

CountsKey countsKey(const UnitCounts& counts)
{
    CountsKey key{};
    for (int count = 0; count < kCountNames; ++count) key[count] = countOf(counts, count);
    return key;
}

UnitCounts countsOf(const CountsKey& key)
{
    UnitCounts counts;
    for (int count = 0; count < kCountNames; ++count) setCount(counts, count, key[count]);
    return counts;
}

std::string countsText(const UnitCounts& counts, char sep)
{
    std::string text;
    for (int count = 0; count < kCountNames; ++count) {
        if (count > 0) text += sep;
        text += std::to_string(countOf(counts, count));
    }
    return text;
}
