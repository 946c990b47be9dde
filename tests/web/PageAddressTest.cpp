#include <gtest/gtest.h>

#include <string>

#include "game/Moment.h"
#include "web/PageAddress.h"

TEST(PageAddress, ReadsTheBattleOrSaysWhatWasWrongAndFallsBackToTheDefault)
{
    const UnitCounts given{4, 1, 5, 2, 6, 3};  // blue 1, 2, 3 and red 4, 5, 6 in the command line's order
    struct {
        const char* seed;
        const char* counts;
        const char* loop;
        std::optional<unsigned> wantSeed;
        UnitCounts wantCounts;
        bool wantLoop;
        const char* errorNames;  // a word the message must hold; null for a good address
    } const cases[] = {
        {nullptr, nullptr, nullptr, std::nullopt, UnitCounts(), false, nullptr},
        {"11", nullptr, nullptr, 11u, UnitCounts(), false, nullptr},
        {"0", "1,2,3,4,5,6", "1", 0u, given, true, nullptr},
        {"4294967295", "-5,0,0,0,0,0", "0", 4294967295u, {0, -5, 0, 0, 0, 0}, false, nullptr},
        {"4294967296", nullptr, nullptr, std::nullopt, UnitCounts(), false, "seed"},
        {"", nullptr, nullptr, std::nullopt, UnitCounts(), false, "seed"},
        {"-1", nullptr, nullptr, std::nullopt, UnitCounts(), false, "seed"},
        {" 7", nullptr, nullptr, std::nullopt, UnitCounts(), false, "seed"},
        // Bad counts keep the seed and the loop; a count out of range is named.
        {"7", "1,2,3,4,5", "1", 7u, UnitCounts(), true, "The counts '1,2,3,4,5' are"},
        {"7", "1,2,3,4,5,6,", nullptr, 7u, UnitCounts(), false, "The counts '1,2,3,4,5,6,' are"},
        {"7", "1,2,3,4,5,6,7", nullptr, 7u, UnitCounts(), false, "The counts '1,2,3,4,5,6,7' are"},
        {"7", "1,2,x,4,5,6", nullptr, 7u, UnitCounts(), false, "The counts"},
        {"7", "1,2,3,4,5,2147483648", nullptr, 7u, UnitCounts(), false, "count '2147483648' in the counts is more than 2147483647"},
        {nullptr, "-2147483649,2,3,4,5,6", nullptr, std::nullopt, UnitCounts(), false, "count '-2147483649' in the counts is less than -2147483648"},
        {"7", "2147483647,0,0,-2147483648,0,0", nullptr, 7u, {-2147483647 - 1, 2147483647, 0, 0, 0, 0}, false, nullptr},
        {"7", nullptr, "yes", std::nullopt, UnitCounts(), false, "loop"},
    };
    for (const auto& c : cases) {
        const PageAddress address = readPageAddress(c.seed, c.counts, c.loop);
        const std::string label = std::string(c.seed ? c.seed : "-") + " " + (c.counts ? c.counts : "-");
        EXPECT_EQ(address.seed, c.wantSeed) << label;
        EXPECT_EQ(address.counts, c.wantCounts) << label;
        EXPECT_EQ(address.loop, c.wantLoop) << label;
        if (c.errorNames == nullptr) {
            EXPECT_EQ(address.error, "") << label;
        } else {
            EXPECT_NE(address.error.find(c.errorNames), std::string::npos) << label << ": " << address.error;
            const std::string then = c.wantSeed ? ": playing seed 7 with the default armies." : ": playing the default battle.";
            EXPECT_EQ(address.error.substr(address.error.size() - std::min(address.error.size(), then.size())), then) << label;
        }
    }
}

// The battle form takes a value as the address takes it, and refuses it in the address's words.
TEST(PageAddress, TheFormReadsEachValueAsTheAddressDoes)
{
    for (const char* value : {"11", "0", "4294967295", "4294967296", "", "-1", " 7", "x", "-5", "2147483648"}) {
        const std::string seed = seedProblem(value), counts = std::string("1,2,3,4,5,") + value;
        const std::string asAddress = seed.empty() ? "" : seed + ": playing the default battle.";
        EXPECT_EQ(readPageAddress(value, nullptr, nullptr).error, asAddress) << value;
        EXPECT_EQ(countProblem(value).empty(), readPageAddress(nullptr, counts.c_str(), nullptr).error.empty()) << value;
    }
    EXPECT_EQ(countProblem("2147483648") + ", " + countProblem("-0x5"), "The count '2147483648' is more than 2147483647, The count '-0x5' is not a whole number");
}

// A moment in the address opens the battle there; written back, it reads as the same frame.
TEST(PageAddress, TheMomentIsReadAndWrittenBackAsTheSameFrame)
{
    for (const int frame : {0, 6, 1800, 1801, 5430, 215999, 216000, 223380, kLatestMoment}) {
        EXPECT_EQ(parseMoment(addressMoment(frame)), frame) << addressMoment(frame);
    }
    EXPECT_EQ(pageQuery(11, UnitCounts(), true, 5430), "?seed=11&loop=1&t=1:30.5");
    EXPECT_EQ(addressMoment(223380) + " " + addressMoment(5401), "1:02:03 5401f");
    EXPECT_EQ(readPageAddress("11", nullptr, nullptr, "1:30").at, 5400);
    const PageAddress bad = readPageAddress("11", nullptr, "1", "-5");  // drops the moment alone, not the battle
    EXPECT_TRUE(bad.seed == 11u && bad.loop && !bad.at);
    EXPECT_EQ(bad.error, momentProblem("-5") + ": playing from the start.");
    EXPECT_EQ(readPageAddress("11", nullptr, nullptr, "").error, "The moment is empty: playing from the start.");
}
