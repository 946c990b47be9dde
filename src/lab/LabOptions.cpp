#include "lab/LabOptions.h"

#include <sched.h>

#include <climits>
#include <functional>
#include <optional>

#include "cli/CommandLine.h"
#include "cli/CountArguments.h"
#include "cli/OptionNumber.h"
#include "cli/Quoted.h"

#ifndef BATTLE_VERSION
#error "BATTLE_VERSION is set by the build from the project's version"
#endif

namespace {

constexpr int kMaxJobs = 1024;

// What the options read so far say.
struct LabReading {
    LabOptions options;
    std::vector<std::string> words;          // the counts, or the files to summarize, in order
    std::vector<std::string> battleOptions;  // options given that only make sense when battles are played
};

// Reads an option's value into the reading; returns what is wrong, or an empty text.
using ReadOption = std::function<std::string(LabReading& reading, const CommandLine::Word& option)>;

// One option of the lab: how it is written, whether it plays battles (and so cannot come with
// --summarize), how it is read, and its lines of the usage text.
struct LabOptionRow {
    OptionForm form;
    bool playsBattles;
    ReadOption read;
    const char* help;
};

ReadOption flag(bool LabOptions::*member)
{
    return [member](LabReading& reading, const CommandLine::Word&) {
        reading.options.*member = true;
        return std::string();
    };
}

// A whole number in [low, high], written in digits only.
template <class Number>
ReadOption whole(Number LabOptions::*member, unsigned long long low, unsigned long long high)
{
    return [=](LabReading& reading, const CommandLine::Word& option) -> std::string {
        const std::string& text = *option.value;
        const std::string range = "from " + std::to_string(low) + " to " + std::to_string(high);
        if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
            return std::string(option.name) + " needs a whole number " + range + ", got " + quoted(text);
        }
        const std::optional<unsigned long long> number = readOptionNumber(text, high);
        if (!number || *number < low) return std::string(option.name) + " must be " + range + ", got " + text;
        reading.options.*member = static_cast<Number>(*number);
        return "";
    };
}

ReadOption fileName(std::string LabOptions::*member)
{
    return [member](LabReading& reading, const CommandLine::Word& option) {
        reading.options.*member = *option.value;
        return option.value->empty() ? std::string(option.name) + " needs a file name" : "";
    };
}

std::string varyOption(LabReading& reading, const CommandLine::Word& option)
{
    std::string error;
    const std::optional<Vary> vary = readVary(*option.value, error);
    if (!vary) return error;
    std::vector<Vary>& varies = reading.options.varies;
    for (const Vary& before : varies) {
        if (before.count == vary->count) return std::string("--vary ") + countName(vary->count) + " is given twice";
    }
    if (varies.size() == 2) return "--vary may be given at most twice";
    varies.push_back(*vary);
    return "";
}

std::string shardOption(LabReading& reading, const CommandLine::Word& option)
{
    std::string error;
    const std::optional<Shard> shard = readShard(*option.value, error);
    if (shard) reading.options.shard = *shard;
    return error;
}

// --summarize, or --summarize=FILE: a file to sum up, in its place among the others.
std::string summarizeOption(LabReading& reading, const CommandLine::Word& option)
{
    reading.options.summarize = true;
    if (!option.value) return "";
    if (option.value->empty()) return "--summarize= needs a file name";
    reading.words.push_back(*option.value);
    return "";
}

// clang-format off
const LabOptionRow kLabOptions[] = {
    {{"--battles", nullptr, OptionValue::kRequired}, true, whole(&LabOptions::battles, 1, INT_MAX),
     "  --battles N      battles to play, of every composition (100)\n"},
    {{"--first-seed", nullptr, OptionValue::kRequired}, true, whole(&LabOptions::firstSeed, 0, kMaxSeed),
     "  --first-seed S   seed of the first battle (1)\n"},
    {{"--jobs", nullptr, OptionValue::kRequired}, true, whole(&LabOptions::jobs, 1, kMaxJobs),
     "  --jobs J         battles played at once, by as many threads, 1 to 1024 (the number of cores)\n"},
    {{"--max-frames", nullptr, OptionValue::kRequired}, true, whole(&LabOptions::maxFrames, 1, INT_MAX),
     "  --max-frames F   frames after which a battle with both bases standing is unfinished (36000)\n"},
    {{"--out", nullptr, OptionValue::kRequired}, true, fileName(&LabOptions::outPath),
     "  --out FILE       one JSON line per battle, in the study's order\n"},
    // A sweep's chart can be drawn from its lines.
    {{"--plot", nullptr, OptionValue::kRequired}, false, fileName(&LabOptions::plotPath),
     "  --plot FILE.png  chart of the units alive per side over time and of the battle lengths;\n"
     "                   of a sweep, blue's win share against the varied count or a heat map of two\n"},
    {{"--vary", nullptr, OptionValue::kRequired}, true, varyOption,
     "  --vary NAME=FROM:TO:STEP\n"
     "                   a sweep: the same N seeds for every value of the count NAME (blue-riflemen,\n"
     "                   blue-tanks, blue-snipers, red-riflemen, red-tanks, red-snipers); once or twice\n"},
    {{"--shard", nullptr, OptionValue::kRequired}, true, shardOption,
     "  --shard K/N      play only the K-th of N equal shares of the study (for N machines)\n"},
    {{"--summarize", nullptr, OptionValue::kAttached}, false, summarizeOption,
     "  --summarize      the summary of the lines in the files, checked to be of one study\n"},
    {{"--help", "-h", OptionValue::kNone}, false, flag(&LabOptions::help),
     "  -h, --help       this text;  --version  the version\n"},
    {{"--version", nullptr, OptionValue::kNone}, false, flag(&LabOptions::version), ""},
};
// clang-format on

}  // namespace

int availableCores()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
    return 1;
}

std::string labUsage()
{
    std::string usage =
        "usage: battle-lab [--battles N] [--first-seed S] [--jobs J] [--max-frames F] [--out FILE]\n"
        "                  [--plot FILE.png] [--vary NAME=FROM:TO:STEP]... [--shard K/N]\n"
        "                  [blue-riflemen blue-tanks blue-snipers red-riflemen red-tanks red-snipers]\n"
        "       battle-lab --summarize [--plot FILE.png] FILE...\n"
        "\n"
        "Plays N seeded battles without a screen (battle k plays seed S + k) and prints a summary.\n";
    for (const LabOptionRow& row : kLabOptions) usage += row.help;
    return usage +
           "A FILE of - is standard input (--summarize) or standard output (--out, --plot); the summary\n"
           "then goes to standard error. After a lone --, every argument is a count or a file.\n"
           "Exit status: 0 done; 1 a line, the summary or the chart could not be written, or a battle\n"
           "failed; 2 a bad command line, a file that cannot be read or written, or lines that cannot\n"
           "be summed up; 130, 143, 129 stopped by SIGINT, SIGTERM, SIGHUP.\n";
}

std::string labVersion()
{
    return std::string("battle-lab ") + BATTLE_VERSION + "\n";
}

bool parseLabOptions(int argc, const char* const* argv, LabOptions& options, std::string& error)
{
    LabReading reading;
    LabOptions& o = reading.options;
    for (const CommandLine::Word& word : CommandLine::split(argc, argv, kLabOptions)) {
        if (word.kind == CommandLine::Word::Kind::kPositional) {
            reading.words.push_back(word.text);
            continue;
        }
        if (word.kind == CommandLine::Word::Kind::kUnknownOption) {
            error = word.text + " (battle-lab --help lists them)";
            return false;
        }
        if (word.kind == CommandLine::Word::Kind::kUnwantedValue) {
            error = word.text;
            return false;
        }
        const LabOptionRow& row = kLabOptions[word.row];
        if (row.form.value == OptionValue::kRequired && !word.value) {
            // --plot --battles 3 is a slip, not a chart named --battles (--plot=--battles or
            // --plot ./--battles names one).
            error = std::string(word.name) + " needs a value";
            return false;
        }
        if (row.playsBattles) reading.battleOptions.push_back(word.name);
        error = row.read(reading, word);
        if (!error.empty()) return false;
    }
    if (o.help || o.version) {
        options = o;
        return true;
    }

    if (o.summarize) {
        if (!reading.battleOptions.empty()) {
            error = "--summarize takes only file names, not " + reading.battleOptions.front();
            return false;
        }
        o.files = reading.words;
        if (o.files.empty()) {
            error = "--summarize needs at least one file";
            return false;
        }
        options = o;
        return true;
    }

    const unsigned long long lastSeed = static_cast<unsigned long long>(o.firstSeed) + o.battles - 1;
    if (lastSeed > kMaxSeed) {
        error = "the seeds " + std::to_string(o.firstSeed) + " to " + std::to_string(lastSeed) + " go past " +
                std::to_string(kMaxSeed);
        return false;
    }
    if (o.jobs == 0) o.jobs = availableCores();  // not given
    std::vector<const char*> counts = {argc > 0 ? argv[0] : "battle-lab"};
    for (const std::string& word : reading.words) counts.push_back(word.c_str());
    o.counts = parseUnitCounts(static_cast<int>(counts.size()), counts.data());
    options = o;
    return true;
}
