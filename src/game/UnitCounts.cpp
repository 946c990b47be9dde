#include "game/UnitCounts.h"

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
