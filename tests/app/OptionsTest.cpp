#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/Options.h"

namespace {

// Counts in command-line order, so that each row reads like the command that produced it.
struct ArgumentOrder {
    int blueSoldiers, blueTanks, blueSnipers, redSoldiers, redTanks, redSnipers;
};

constexpr ArgumentOrder kDefaults = {200, 50, 50, 200, 50, 50};

struct Expected {
    ArgumentOrder counts = kDefaults;
    std::optional<unsigned> seed;
    bool loop = false;
    std::string record;
    int frames = kDefaultClipFrames;
    bool help = false;
    bool version = false;
    std::optional<int> at;
};

struct OptionsCase {
    std::vector<const char*> args;  // without the program name
    Expected expected;              // for a good line
    const char* error;              // the message of a bad line; null for a good one
};

Expected counts(ArgumentOrder c, Expected e = {})
{
    e.counts = c;
    return e;
}
Expected seed(unsigned s, Expected e = {})
{
    e.seed = s;
    return e;
}
Expected record(const char* file, int frames = kDefaultClipFrames, Expected e = {})
{
    e.record = file;
    e.frames = frames;
    return e;
}

Expected at(int frame, Expected e = {})
{
    e.at = frame;
    return e;
}

Options parse(const std::vector<const char*>& args)
{
    std::vector<const char*> argv = {"battle"};
    argv.insert(argv.end(), args.begin(), args.end());
    return parseOptions(static_cast<int>(argv.size()), argv.data());
}

std::string joined(const std::vector<const char*>& args)
{
    std::string line = "battle";
    for (const char* arg : args) line += std::string(" [") + arg + "]";
    return line;
}

}  // namespace

TEST(OptionsTest, CommandLineTable)
{
    const ArgumentOrder example = {10, 2, 3, 20, 4, 5};
    Expected loop;
    loop.loop = true;
    Expected help;
    help.help = true;
    Expected version;
    version.version = true;

    const OptionsCase cases[] = {
        // ---- good lines ----
        {{}, {}, nullptr},
        {{"10", "2", "3", "20", "4", "5"}, counts(example), nullptr},
        {{"--seed", "7", "10", "2", "3", "20", "4", "5"}, counts(example, seed(7)), nullptr},
        {{"10", "2", "3", "20", "4", "5", "--seed", "7"}, counts(example, seed(7)), nullptr},
        {{"10", "--loop", "2", "3", "--seed=7", "20", "4", "5"}, counts(example, seed(7, loop)), nullptr},
        {{"10", "2", "3", "20", "4", "5", "99", "--loop"}, counts(example, loop), nullptr},
        // The value of --seed is its next argument, so only five counts are left: defaults.
        {{"--seed", "10", "2", "3", "20", "4", "5"}, seed(10), nullptr},
        {{"--seed", "0"}, seed(0), nullptr},
        {{"--seed", "4294967295"}, seed(4294967295u), nullptr},
        {{"--seed=007"}, seed(7), nullptr},
        {{"--seed", "1", "--seed", "2"}, seed(2), nullptr},
        // Counts keep their atoi reading: a dash and a digit is a negative count, and so not an
        // option; a lone dash or a dash and a dot are counts too.
        {{"-5", "abc", "+7", " 12x", "-", "99999999999"}, counts({-5, 0, 7, 12, 0, INT_MAX}), nullptr},
        {{"-0", "-.5", "1", "2", "3", "4"}, counts({0, 0, 1, 2, 3, 4}), nullptr},
        {{"--", "--seed", "2", "3", "20", "4", "5"}, counts({0, 2, 3, 20, 4, 5}), nullptr},
        {{"--", "-h", "2", "3", "20", "4", "5"}, counts({0, 2, 3, 20, 4, 5}), nullptr},
        {{"--help"}, help, nullptr},
        {{"-h"}, help, nullptr},
        {{"10", "2", "3", "-h", "20", "4", "5"}, counts(example, help), nullptr},
        {{"--version"}, version, nullptr},
        {{"--record", "clip.gif"}, record("clip.gif"), nullptr},
        {{"--frames=1", "--record", "a.gif"}, record("a.gif", 1), nullptr},
        {{"--record=clip.gif", "--frames", "216000", "--seed", "7", "1", "2", "3", "4", "5", "6"},
         counts({1, 2, 3, 4, 5, 6}, seed(7, record("clip.gif", 216000))),
         nullptr},
        {{"--record=--odd.gif"}, record("--odd.gif"), nullptr},

        // ---- bad lines: the first fault is the one reported ----
        {{"--bogus"}, {}, "unknown option '--bogus'"},
        {{"--bogus=1", "--seed"}, {}, "unknown option '--bogus'"},
        {{"--Seed", "7"}, {}, "unknown option '--Seed'"},
        {{"--bad\nline"}, {}, "unknown option '--bad?line'"},
        {{"--an-option-name-far-too-long-to-show-whole-in-a-message"},
         {},
         "unknown option '--an-option-name-far-too-long-to-show-wh...'"},
        {{"-x"}, {}, "unknown option '-x'"},
        {{"-help"}, {}, "unknown option '-help'"},
        {{"10", "2", "3", "20", "4", "5", "-v"}, {}, "unknown option '-v'"},
        {{"--seed"}, {}, "--seed needs a number"},
        {{"--seed="}, {}, "--seed needs a number"},
        {{"--seed", "--loop"}, {}, "--seed needs a number"},
        {{"--seed", "abc"}, {}, "--seed takes a number from 0 to 4294967295, not 'abc'"},
        {{"--seed", "-1"}, {}, "--seed takes a number from 0 to 4294967295, not '-1'"},
        {{"--seed", "+7"}, {}, "--seed takes a number from 0 to 4294967295, not '+7'"},
        {{"--seed", " 7"}, {}, "--seed takes a number from 0 to 4294967295, not ' 7'"},
        {{"--seed", "7x"}, {}, "--seed takes a number from 0 to 4294967295, not '7x'"},
        {{"--seed", "4294967296"}, {}, "--seed takes a number from 0 to 4294967295, not '4294967296'"},
        {{"--seed=99999999999999999999999"},
         {},
         "--seed takes a number from 0 to 4294967295, not '99999999999999999999999'"},
        {{"--loop=yes"}, {}, "--loop takes no value"},
        {{"--help="}, {}, "--help takes no value"},
        {{"--record"}, {}, "--record needs a file name"},
        {{"--record="}, {}, "--record needs a file name"},
        {{"--record", "--frames", "5"}, {}, "--record needs a file name"},
        {{"--frames", "600"}, {}, "--frames needs --record"},
        {{"--record", "a.gif", "--frames"}, {}, "--frames needs a number"},
        {{"--record", "a.gif", "--frames", "0"}, {}, "--frames takes a number from 1 to 216000, not '0'"},
        {{"--record", "a.gif", "--frames=-3"}, {}, "--frames takes a number from 1 to 216000, not '-3'"},
        {{"--record", "a.gif", "--frames", "216001"}, {}, "--frames takes a number from 1 to 216000, not '216001'"},
        {{"--record", "a.gif", "--loop"}, {}, "--loop cannot be used with --record"},
        // ---- moments: minutes and seconds, hours, seconds, parts of a second cut to frames ----
        {{"--at", "1:30"}, at(5400), nullptr},
        {{"--at=1:30.5", "--seed", "7"}, at(5430, seed(7)), nullptr},
        {{"--at", "90.999"}, at(5459), nullptr},
        {{"--at", "5400f"}, at(5400), nullptr},
        {{"--at", "1:02:03"}, at(223380), nullptr},
        {{"--record", "a.gif", "--at", "2:00"}, at(7200, record("a.gif")), nullptr},
        {{"--at"}, {}, "--at needs a moment, such as 1:30, 90 or 5400f"},
        {{"--at", "-5"}, {}, "--at takes a moment from 0 to 10:00:00, such as 1:30, 90.5 or 5400f, not '-5'"},
        {{"--at", "10:00:00.1"},
         {},
         "--at takes a moment from 0 to 10:00:00, such as 1:30, 90.5 or 5400f, not '10:00:00.1'"},
        {{"--at", "2160001f"},
         {},
         "--at takes a moment from 0 to 10:00:00, such as 1:30, 90.5 or 5400f, not '2160001f'"},
        {{"--at", "1:60"}, {}, "--at takes a moment from 0 to 10:00:00, such as 1:30, 90.5 or 5400f, not '1:60'"},
        {{"--at", "90."}, {}, "--at takes a moment from 0 to 10:00:00, such as 1:30, 90.5 or 5400f, not '90.'"},
    };
    for (const OptionsCase& c : cases) {
        SCOPED_TRACE(joined(c.args));
        const Options options = parse(c.args);
        if (c.error != nullptr) {
            EXPECT_EQ(options.error, c.error);
            continue;
        }
        EXPECT_EQ(options.error, "");
        const Expected& e = c.expected;
        EXPECT_EQ(options.counts.blueSoldiers, e.counts.blueSoldiers);
        EXPECT_EQ(options.counts.blueTanks, e.counts.blueTanks);
        EXPECT_EQ(options.counts.blueSnipers, e.counts.blueSnipers);
        EXPECT_EQ(options.counts.redSoldiers, e.counts.redSoldiers);
        EXPECT_EQ(options.counts.redTanks, e.counts.redTanks);
        EXPECT_EQ(options.counts.redSnipers, e.counts.redSnipers);
        EXPECT_EQ(options.seed, e.seed);
        EXPECT_EQ(options.loop, e.loop);
        EXPECT_EQ(options.record, e.record);
        EXPECT_EQ(options.recording(), !e.record.empty());
        EXPECT_EQ(options.frames, e.frames);
        EXPECT_EQ(options.help, e.help);
        EXPECT_EQ(options.version, e.version);
        EXPECT_EQ(options.at, e.at);
    }
}

// What reaches standard output and standard error, and the exit status, before any window.
TEST(OptionsTest, AnswersBeforeStart)
{
    struct {
        std::vector<const char*> args;
        std::optional<int> status;
        std::string out;
        std::string err;
    } const cases[] = {
        {{"--help"}, 0, usageText(), ""},
        {{"--version"}, 0, versionText(), ""},
        {{"--version", "--help"}, 0, usageText(), ""},
        {{"--bogus", "--help"}, 0, usageText(), ""},
        {{"--seed", "x", "--version"}, 0, versionText(), ""},
        {{"--bogus"}, 2, "", "battle: unknown option '--bogus'\n" + usageText()},
        {{"-h", "--bogus"}, 0, usageText(), ""},
        {{"-x"}, 2, "", "battle: unknown option '-x'\n" + usageText()},
        {{"--seed", "7", "--loop", "1", "2", "3", "4", "5", "6"}, std::nullopt, "", ""},
    };
    auto contents = [](std::FILE* file) {
        std::string text;
        std::rewind(file);
        for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
        std::fclose(file);
        return text;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(joined(c.args));
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        ASSERT_NE(out, nullptr);
        ASSERT_NE(err, nullptr);
        EXPECT_EQ(answerBeforeStart(parse(c.args), out, err), c.status);
        EXPECT_EQ(contents(out), c.out);
        EXPECT_EQ(contents(err), c.err);
    }
    EXPECT_EQ(versionText().rfind("battle ", 0), 0u) << versionText();
    EXPECT_NE(usageText().find("Usage: battle "), std::string::npos);
}
