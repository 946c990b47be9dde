#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Options.h"
#include "cli/CountArguments.h"
#include "web/PageAddress.h"

namespace {

// Counts in command-line order, so that each row reads like the command that produced it.
struct ArgumentOrder {
    int blueSoldiers, blueTanks, blueSnipers, redSoldiers, redTanks, redSnipers;
};

constexpr ArgumentOrder kDefaults = {200, 50, 50, 200, 50, 50};

struct CountsCase {
    const char* name;
    std::vector<const char*> args;  // without the program name
    ArgumentOrder expected;
};

}  // namespace

TEST(CountArgumentsTest, CommandLineTable)
{
    const CountsCase cases[] = {
        {"no arguments", {}, kDefaults},
        {"five arguments are all ignored", {"1", "2", "3", "4", "5"}, kDefaults},
        {"one argument", {"7"}, kDefaults},
        {"the example", {"10", "2", "3", "20", "4", "5"}, {10, 2, 3, 20, 4, 5}},
        {"extras beyond six ignored", {"10", "2", "3", "20", "4", "5", "99", "abc"}, {10, 2, 3, 20, 4, 5}},
        {"empty strings", {"", "", "", "", "", ""}, {0, 0, 0, 0, 0, 0}},
        {"not numbers, signs, trailing junk", {"abc", "-5", "+7", " 12x", "x12", "\t 8"}, {0, -5, 7, 12, 0, 8}},
        {"beyond the int range",
         {"99999999999", "-99999999999", "2147483647", "-2147483648", "2147483648", "0"},
         {INT_MAX, INT_MIN, INT_MAX, INT_MIN, INT_MAX, 0}},
    };
    for (const CountsCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<const char*> argv = {"battle"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const UnitCounts counts = parseUnitCounts(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(counts.blueSoldiers, c.expected.blueSoldiers);
        EXPECT_EQ(counts.blueTanks, c.expected.blueTanks);
        EXPECT_EQ(counts.blueSnipers, c.expected.blueSnipers);
        EXPECT_EQ(counts.redSoldiers, c.expected.redSoldiers);
        EXPECT_EQ(counts.redTanks, c.expected.redTanks);
        EXPECT_EQ(counts.redSnipers, c.expected.redSnipers);
    }
}

TEST(CountArgumentsTest, ParseCountReadsAsAtoiDoesWithinRange)
{
    const char* texts[] = {"0",           "42",  "-42", "+42",  "  \t\n17", "007", "12abc",
                           "1 2",         "- 5", "+-3", "--1",  "",         "abc", "2147483647",
                           "-2147483648", "-0",  "3.9", "0x1F", " -",       "1e3", "  +0099 tail"};
    for (const char* text : texts) {
        EXPECT_EQ(parseCount(text), std::atoi(text)) << '"' << text << '"';
    }
}

TEST(CountArgumentsTest, ParseCountClampsBeyondTheIntRange)
{
    struct {
        const char* text;
        int expected;
    } const cases[] = {
        {"2147483648", INT_MAX},
        {"-2147483649", INT_MIN},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"123456789012345678901234567890", INT_MAX},
        {"-123456789012345678901234567890x", INT_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(parseCount(c.text), c.expected) << '"' << c.text << '"';
}

// The page's address (and its form) and battle's command line read a whole count alike, to the
// ends of the int range: -2147483648 places no unit in both. Beyond the range, and for what is not
// a whole number, the command line reads as atoi does while the address refuses.
TEST(CountArgumentsTest, TheAddressAndTheCommandLineReadACountAlike)
{
    struct {
        const char* text;
        int count;          // as the command line reads it
        bool addressTakes;  // and the address takes it as the same count, or refuses it
    } const cases[] = {{"-2147483648", INT_MIN, true},
                       {"2147483647", INT_MAX, true},
                       {"-0", 0, true},
                       {"-2147483649", INT_MIN, false},
                       {"2147483648", INT_MAX, false},
                       {"+5", 5, false},
                       {"5x", 5, false},
                       {"-", 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const char* argv[] = {"battle", "1", "2", "3", "4", "5", c.text};
        EXPECT_EQ(parseOptions(7, argv).counts.redSnipers, c.count);
        const PageAddress address = readPageAddress(nullptr, (std::string("1,2,3,4,5,") + c.text).c_str(), nullptr);
        EXPECT_EQ(address.error.empty(), c.addressTakes) << address.error;
        EXPECT_EQ(countProblem(c.text).empty(), c.addressTakes);
        EXPECT_EQ(address.counts.redSnipers, c.addressTakes ? c.count : UnitCounts().redSnipers);
    }
}
