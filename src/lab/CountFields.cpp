#include "lab/CountFields.h"

const char* countName(int count)
{
    return kCountFields[count].option;
}

int countOf(const UnitCounts& counts, int count)
{
    return counts.*kCountFields[count].member;
}

void setCount(UnitCounts& counts, int count, int value)
{
    counts.*kCountFields[count].member = value;
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
