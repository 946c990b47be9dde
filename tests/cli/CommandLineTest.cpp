#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "app/Options.h"
#include "lab/LabOptions.h"

namespace {

// What a program made of a line, in the terms both programs share.
struct Read {
    std::string error;  // empty: accepted
    bool help;
    unsigned seed;
    CountsKey counts;
};

// The line as battle (or the lab) spells it, {seed} its option that takes a seed, as it reads it.
Read read(bool lab, const std::vector<std::string>& args, std::string& shown)
{
    std::vector<std::string> line = {lab ? "battle-lab" : "battle"};
    for (const std::string& arg : args)
        line.push_back(arg.rfind("{seed}", 0) == 0 ? (lab ? "--first-seed" : "--seed") + arg.substr(6) : arg);
    std::vector<const char*> argv;
    for (const std::string& arg : line) {
        argv.push_back(arg.c_str());
        shown += " [" + arg + "]";
    }
    if (!lab) {
        const Options o = parseOptions(static_cast<int>(argv.size()), argv.data());
        return {o.error, o.help, o.seed.value_or(0), countsKey(o.counts)};
    }
    LabOptions o;
    std::string error;
    parseLabOptions(static_cast<int>(argv.size()), argv.data(), o, error);
    return {error, o.help, o.firstSeed, countsKey(o.counts)};
}

}  // namespace

// Both programs split a command line alike: the same forms are accepted, and the same are
// refused with the same first words.
TEST(CommandLineTest, BothProgramsAcceptAndRefuseTheSameForms)
{
    const CountsKey defaults = countsKey(UnitCounts());
    struct {
        std::vector<std::string> args;
        const char* refusal;                // the message's start ({seed} as spelled); null when accepted
        std::optional<unsigned> seed = {};  // of an accepted line that gives one
        CountsKey counts = {};              // the six counts in the command line's order
        bool help = false;
    } const cases[] = {
        {{"{seed}", "7"}, nullptr, 7, defaults},
        {{"{seed}=007", "{seed}", "0"}, nullptr, 0, defaults},
        {{"-5", "2", "{seed}", "9", "3", "4", "-", "-2147483648", "x"}, nullptr, 9, {-5, 2, 3, 4, 0, INT_MIN}},
        {{"--", "-h", "--help", "3", "4", "5", "6"}, nullptr, {}, {0, 0, 3, 4, 5, 6}},
        {{"-h"}, nullptr, {}, defaults, true},
        {{"1", "--help"}, nullptr, {}, defaults, true},
        {{"{seed}", "4294967296"}, "{seed} "},
        {{"{seed}"}, "{seed} "},
        {{"{seed}="}, "{seed} "},
        {{"{seed}", "--help"}, "{seed} "},
        {{"{seed}", "-1"}, "{seed} "},
        {{"--help=x"}, "--help takes no value"},
        {{"--help="}, "--help takes no value"},
        {{"--version=3"}, "--version takes no value"},
        {{"-h=1"}, "unknown option '-h=1'"},
        {{"-help"}, "unknown option '-help'"},
        {{"-x", "--help"}, "unknown option '-x'"},
        {{"--bogus=1"}, "unknown option '--bogus'"},
        {{"--\x1b[2J"}, "unknown option '--?[2J'"},
    };
    for (const auto& c : cases) {
        for (const bool lab : {false, true}) {
            std::string shown;
            const Read got = read(lab, c.args, shown);
            SCOPED_TRACE(shown);
            if (c.refusal != nullptr) {
                std::string wanted = c.refusal;
                if (wanted.rfind("{seed}", 0) == 0) wanted = (lab ? "--first-seed" : "--seed") + wanted.substr(6);
                EXPECT_EQ(got.error.substr(0, wanted.size()), wanted) << got.error;
                continue;
            }
            EXPECT_EQ(got.error, "");
            EXPECT_EQ(got.help, c.help);
            EXPECT_EQ(c.seed.value_or(got.seed), got.seed);
            EXPECT_EQ(got.counts, c.counts);
        }
    }
}
