#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/Options.h"
#include "lab/LabOptions.h"

namespace {

// What a program made of a line, in the terms both programs share.
struct Read {
    std::string error;  // empty: accepted
    bool help = false, version = false;
    unsigned seed = 0;
    UnitCounts counts;
};

// The line as one program spells it: {seed} is its option that takes a seed.
std::vector<std::string> spelled(const std::vector<std::string>& args, const std::string& seedOption)
{
    std::vector<std::string> line = {"program"};
    for (std::string arg : args) line.push_back(arg.rfind("{seed}", 0) == 0 ? seedOption + arg.substr(6) : arg);
    return line;
}

std::vector<const char*> argv(const std::vector<std::string>& line)
{
    std::vector<const char*> pointers;
    for (const std::string& arg : line) pointers.push_back(arg.c_str());
    return pointers;
}

Read battle(const std::vector<std::string>& args)
{
    const auto line = spelled(args, "--seed");
    const Options options = parseOptions(static_cast<int>(line.size()), argv(line).data());
    return {options.error, options.help, options.version, options.seed.value_or(0), options.counts};
}

Read lab(const std::vector<std::string>& args)
{
    const auto line = spelled(args, "--first-seed");
    LabOptions options;
    std::string error;
    parseLabOptions(static_cast<int>(line.size()), argv(line).data(), options, error);
    return {error, options.help, options.version, options.firstSeed, options.counts};
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
        {{"--"}, nullptr, {}, defaults},
    };
    for (const auto& c : cases) {
        for (const auto& [program, seedOption, read] : {std::tuple{"battle", "--seed", battle(c.args)},
                                                        std::tuple{"battle-lab", "--first-seed", lab(c.args)}}) {
            std::string shown = program;
            for (const std::string& arg : spelled(c.args, seedOption)) shown += " [" + arg + "]";
            SCOPED_TRACE(shown);
            if (c.refusal != nullptr) {
                const std::string wanted = spelled({c.refusal}, seedOption)[1];
                EXPECT_EQ(read.error.substr(0, wanted.size()), wanted) << read.error;
                continue;
            }
            EXPECT_EQ(read.error, "");
            EXPECT_EQ(read.help, c.help);
            EXPECT_EQ(c.seed.value_or(read.seed), read.seed);
            EXPECT_EQ(countsKey(read.counts), c.counts);
        }
    }
}
