#include "app/Options.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <vector>

#include "cli/OptionNumber.h"
#include "game/Moment.h"

#ifndef BATTLE_VERSION
#error "BATTLE_VERSION is set by the build from the project's version"
#endif

namespace {

constexpr const char* kProgramName = "battle";
constexpr unsigned long long kMaxSeed = std::numeric_limits<std::uint32_t>::max();
static_assert(std::numeric_limits<unsigned>::max() >= kMaxSeed, "a seed is kept in an unsigned");
// Enough of an argument to recognise it; a message stays one short line whatever was typed.
constexpr std::size_t kShownLength = 40;

bool startsWithDashes(const char* text)
{
    return std::strncmp(text, "--", 2) == 0;
}

// "-h", or any other dash and letter: an option as other programs write one. A dash and a
// digit stays a (negative) count.
bool isShortOption(const char* text)
{
    return text[0] == '-' && std::isalpha(static_cast<unsigned char>(text[1])) != 0;
}

// An argument as it may be shown in a one-line message: control characters would break the
// line (or the terminal), so they are shown as '?', and a long one is cut short.
std::string quoted(const std::string& text)
{
    std::string shown = "'";
    for (const char c : text.substr(0, kShownLength)) {
        shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    }
    return shown + (text.size() > kShownLength ? "...'" : "'");
}

}  // namespace

Options parseOptions(int argc, const char* const* argv)
{
    Options options;
    auto fail = [&options](const std::string& message) {
        if (options.error.empty()) options.error = message;
    };

    std::vector<const char*> counts = {argc > 0 && argv[0] != nullptr ? argv[0] : kProgramName};
    bool optionsEnded = false;
    bool framesGiven = false;
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && isShortOption(argv[i])) {
            if (arg == "-h") {
                options.help = true;
            } else {
                fail("unknown option " + quoted(arg));
            }
            continue;
        }
        if (optionsEnded || !startsWithDashes(argv[i])) {
            counts.push_back(argv[i]);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const bool attached = equals != std::string::npos;
        // The value of an option that takes one: after '=', or the next argument unless that
        // is missing or is itself an option.
        auto takeValue = [&]() -> std::string {
            if (attached) return arg.substr(equals + 1);
            if (i + 1 < argc && argv[i + 1] != nullptr && !startsWithDashes(argv[i + 1])) return argv[++i];
            return "";
        };

        if (name == "--help" || name == "--version" || name == "--loop") {
            if (attached) {
                fail(name + " takes no value");
                continue;
            }
            if (name == "--help") options.help = true;
            if (name == "--version") options.version = true;
            if (name == "--loop") options.loop = true;
        } else if (name == "--seed") {
            const std::string value = takeValue();
            const auto seed = readOptionNumber(value, kMaxSeed);
            if (value.empty()) {
                fail("--seed needs a number");
            } else if (!seed) {
                fail("--seed takes a number from 0 to " + std::to_string(kMaxSeed) + ", not " + quoted(value));
            } else {
                options.seed = static_cast<unsigned>(*seed);
            }
        } else if (name == "--at") {
            const std::string value = takeValue();
            const auto moment = parseMoment(value);
            if (value.empty()) {
                fail("--at needs a moment, such as 1:30, 90 or 5400f");
            } else if (!moment) {
                fail("--at takes a moment from 0 to 10:00:00, such as 1:30, 90.5 or 5400f, not " + quoted(value));
            } else {
                options.at = *moment;
            }
        } else if (name == "--record") {
            options.record = takeValue();
            if (options.record.empty()) fail("--record needs a file name");
        } else if (name == "--frames") {
            framesGiven = true;
            const std::string value = takeValue();
            const auto frames = readOptionNumber(value, kMaxRecordFrames);
            if (value.empty()) {
                fail("--frames needs a number");
            } else if (!frames || *frames < 1) {
                fail("--frames takes a number from 1 to " + std::to_string(kMaxRecordFrames) + ", not " +
                     quoted(value));
            } else {
                options.frames = static_cast<int>(*frames);
            }
        } else {
            fail("unknown option " + quoted(name));
        }
    }

    if (framesGiven && !options.recording()) fail("--frames needs --record");
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
    text << "Exit status: 0 normal end; 1 no display, a lost display, or a clip that could not be written on\n";
    text << "the way; 2 bad command line, or a clip file that cannot be opened; 130, 143, 129 stopped by\n";
    text << "SIGINT, SIGTERM, SIGHUP.\n";
    text << "See battle(6) for the keys and what the screen shows.\n";
    return text.str();
}

std::string versionText()
{
    return std::string(kProgramName) + " " + BATTLE_VERSION + "\n";
}

std::optional<int> answerBeforeStart(const Options& options, std::FILE* out, std::FILE* err)
{
    if (options.help) {
        std::fputs(usageText().c_str(), out);
        return 0;
    }
    if (options.version) {
        std::fputs(versionText().c_str(), out);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(err, "%s: %s\n%s", kProgramName, options.error.c_str(), usageText().c_str());
        return kBadCommandLineStatus;
    }
    return std::nullopt;
}
