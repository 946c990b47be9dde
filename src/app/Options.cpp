#include "app/Options.h"

#include <cerrno>
#include <cstring>
#include <sstream>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CountArguments.h"
#include "cli/OptionNumber.h"
#include "cli/Quoted.h"
#include "game/Moment.h"

#ifndef BATTLE_VERSION
#error "BATTLE_VERSION is set by the build from the project's version"
#endif

namespace {

constexpr const char* kProgramName = "battle";

// What the options read so far say; a reader adds to it what its option's value says.
struct Reading {
    Options options;
    bool framesGiven = false;
};

// One option: how it is written, and how its value ("" when none was given) is read. A reader
// returns what is wrong with the value, or an empty text.
struct OptionRow {
    OptionForm form;
    std::string (*read)(Reading& reading, const std::string& value);
};

std::string flag(bool& given)
{
    given = true;
    return "";
}

const OptionRow kOptionRows[] = {
    {{"--help", "-h", OptionValue::kNone}, [](Reading& r, const std::string&) { return flag(r.options.help); }},
    {{"--version", nullptr, OptionValue::kNone},
     [](Reading& r, const std::string&) { return flag(r.options.version); }},
    {{"--loop", nullptr, OptionValue::kNone}, [](Reading& r, const std::string&) { return flag(r.options.loop); }},
    {{"--seed", nullptr, OptionValue::kRequired},
     [](Reading& r, const std::string& value) -> std::string {
         if (value.empty()) return "--seed needs a number";
         const auto seed = readOptionNumber(value, kMaxSeed);
         if (!seed) return "--seed takes a number from 0 to " + std::to_string(kMaxSeed) + ", not " + quoted(value);
         r.options.seed = static_cast<unsigned>(*seed);
         return "";
     }},
    {{"--at", nullptr, OptionValue::kRequired},
     [](Reading& r, const std::string& value) -> std::string {
         if (value.empty()) return "--at needs a moment, such as 1:30, 90 or 5400f";
         const std::optional<int> moment = parseMoment(value);
         r.options.at = moment;
         return moment ? ""
                       : "--at takes a moment from 0 to 10:00:00, such as 1:30, 90.5 or 5400f, not " + quoted(value);
     }},
    {{"--record", nullptr, OptionValue::kRequired},
     [](Reading& r, const std::string& value) -> std::string {
         r.options.record = value;
         return value.empty() ? "--record needs a file name" : "";
     }},
    {{"--frames", nullptr, OptionValue::kRequired},
     [](Reading& r, const std::string& value) -> std::string {
         r.framesGiven = true;
         if (value.empty()) return "--frames needs a number";
         const auto frames = readOptionNumber(value, kMaxRecordFrames);
         if (!frames || *frames < 1) {
             return "--frames takes a number from 1 to " + std::to_string(kMaxRecordFrames) + ", not " + quoted(value);
         }
         r.options.frames = static_cast<int>(*frames);
         return "";
     }},
};

}  // namespace

Options parseOptions(int argc, const char* const* argv)
{
    Reading reading;
    Options& options = reading.options;
    auto fail = [&options](const std::string& message) {
        if (options.error.empty() && !message.empty()) options.error = message;
    };
    std::vector<const char*> counts = {argc > 0 && argv[0] != nullptr ? argv[0] : kProgramName};
    const std::vector<CommandLine::Word> words = CommandLine::split(argc, argv, kOptionRows);
    for (const CommandLine::Word& word : words) {
        if (word.kind == CommandLine::Word::Kind::kPositional) {
            counts.push_back(word.text.c_str());
        } else if (word.kind == CommandLine::Word::Kind::kOption) {
            fail(kOptionRows[word.row].read(reading, word.value.value_or("")));
        } else {
            fail(word.text);
        }
    }
    if (reading.framesGiven && !options.recording()) fail("--frames needs --record");
    if (options.loop && options.recording()) fail("--loop cannot be used with --record");
    options.counts = parseUnitCounts(static_cast<int>(counts.size()), counts.data());
    return options;
}

std::string usageText()
{
    const UnitCounts d;
    std::ostringstream text;
    text << "Usage: " << kProgramName << " [OPTION]... [COUNTS]\n";
    text << "       " << kProgramName << " --record FILE.gif [--frames N] [--at MOMENT] [--seed N] [COUNTS]\n";
    text << "A battle that plays itself: two armies, red and blue, fight until a base falls.\n\n";
    text << "COUNTS are six numbers, all six or none, in this order:\n";
    text << " ";
    for (int count = 0; count < kCountNames; ++count) text << (count > 0 ? ", " : " ") << kCountFields[count].words;
    text << "\n  (default " << countsText(d) << "; numbers after the sixth are ignored)\n\n";
    text << "Options (anywhere among the counts; after a lone -- everything is a count):\n";
    text << "  -h, --help       show this help and exit\n";
    text << "  --version        show the version and exit\n";
    text << "  --seed N         play the battle of seed N again (0 to " << kMaxSeed << ");\n";
    text << "                   the window's title shows the seed of every battle\n";
    text << "  --loop           when a base falls, play the next seed 5 seconds later\n";
    text << "  --record FILE    play with no display and write an animated GIF to FILE (-: standard output)\n";
    text << "  --frames N       with --record: frames to record, 1 to " << kMaxRecordFrames << " (default "
         << kDefaultClipFrames << ")\n";
    text << "  --at MOMENT      start the battle (or the clip) at this moment of it: 1:30, 90.5\n";
    text << "                   (seconds) or 5400f (frames), up to 10 hours\n";
    text << "  --seed=N, --record=FILE, --frames=N and --at=MOMENT work too.\n\n";
    text << "Exit status: 0 normal end; 1 no display, a lost display, or standard output or a clip that\n";
    text << "could not be written (closed, full, a pipe whose reader quit); 2 bad command line, or a clip\n";
    text << "file that cannot be opened; 130, 143, 129 stopped by SIGINT, SIGTERM, SIGHUP.\n";
    text << "See battle(6) for the keys and what the screen shows.\n";
    return text.str();
}

std::string versionText()
{
    return std::string(kProgramName) + " " + BATTLE_VERSION + "\n";
}

std::optional<int> answerBeforeStart(const Options& options, std::FILE* out, std::FILE* err)
{
    if (options.help || options.version) {
        const std::string text = options.help ? usageText() : versionText();
        if (out != nullptr && std::fputs(text.c_str(), out) >= 0 && std::fflush(out) == 0) return 0;
        const int reason = out != nullptr ? errno : EBADF;
        std::fprintf(err, "%s: cannot write to standard output: %s\n", kProgramName, std::strerror(reason));
        return 1;
    }
    if (!options.error.empty()) {
        std::fprintf(err, "%s: %s\n%s", kProgramName, options.error.c_str(), usageText().c_str());
        return kBadCommandLineStatus;
    }
    return std::nullopt;
}
