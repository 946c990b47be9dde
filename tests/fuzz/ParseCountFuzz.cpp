// libFuzzer target for reading a unit count from the command line: any byte string must give
// what atoi gives for in-range numbers, clamped to the int range beyond it, with no crash and
// no undefined behaviour. The reference is strtoll, whose base-10 rule is atoi's and which
// saturates instead of overflowing.

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/CountArguments.h"

namespace {

int referenceCount(const char* text)
{
    errno = 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);  // stops at the first NUL for C
    const int expected = referenceCount(text.c_str());
    const int got = parseCount(text.c_str());
    if (got != expected) {
        std::fprintf(stderr, "parseCount(\"%s\") gave %d, expected %d\n", text.c_str(), got, expected);
        std::abort();
    }

    // The same text as all six arguments reaches every count.
    const char* argv[] = {"battle", text.c_str(), text.c_str(), text.c_str(), text.c_str(), text.c_str(), text.c_str()};
    const UnitCounts counts = parseUnitCounts(7, argv);
    if (counts.blueSoldiers != expected || counts.blueTanks != expected || counts.blueSnipers != expected ||
        counts.redSoldiers != expected || counts.redTanks != expected || counts.redSnipers != expected) {
        std::abort();
    }
    return 0;
}
