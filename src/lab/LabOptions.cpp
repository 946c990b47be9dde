#include "lab/LabOptions.h"

#include <sched.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "cli/OptionNumber.h"

#ifndef BATTLE_VERSION
#error "BATTLE_VERSION is set by the build from the project's version"
#endif

namespace {

constexpr int kMaxJobs = 1024;

// A whole number in [low, high], written in digits only.
bool readWhole(const std::string& name, const std::string& text, long long low, long long high, long long& value,
               std::string& error)
{
    const std::string range = "from " + std::to_string(low) + " to " + std::to_string(high);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        error = name + " needs a whole number " + range + ", got '" + text + "'";
        return false;
    }
    const std::optional<unsigned long long> number = readOptionNumber(text, static_cast<unsigned long long>(high));
    if (!number || *number < static_cast<unsigned long long>(low)) {
        error = name + " must be " + range + ", got " + text;
        return false;
    }
    value = static_cast<long long>(*number);
    return true;
}

bool isOption(const char* arg)
{
    return arg[0] == '-' && (arg[1] == '-' || std::isalpha(static_cast<unsigned char>(arg[1])));
}

}  // namespace

int availableCores()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
    return 1;
}

std::string labUsage()
{
    return "usage: battle-lab [--battles N] [--first-seed S] [--jobs J] [--max-frames F] [--out FILE]\n"
           "                  [--plot FILE.png] [--vary NAME=FROM:TO:STEP]... [--shard K/N]\n"
           "                  [blue-riflemen blue-tanks blue-snipers red-riflemen red-tanks red-snipers]\n"
           "       battle-lab --summarize [--plot FILE.png] FILE...\n" +
           oddsUsage() +
           "\n"
           "Plays N seeded battles without a screen (battle k plays seed S + k) and prints a summary.\n"
           "  --battles N      battles to play, of every composition (100)\n"
           "  --first-seed S   seed of the first battle (1)\n"
           "  --jobs J         battles played at once, by as many threads, 1 to 1024 (the number of cores)\n"
           "  --max-frames F   frames after which a battle with both bases standing is unfinished (36000)\n"
           "  --out FILE       one JSON line per battle, in the study's order\n"
           "  --plot FILE.png  chart of the units alive per side over time and of the battle lengths;\n"
           "                   of a sweep, blue's win share against the varied count or a heat map of two\n"
           "  --vary NAME=FROM:TO:STEP\n"
           "                   a sweep: the same N seeds for every value of the count NAME (blue-riflemen,\n"
           "                   blue-tanks, blue-snipers, red-riflemen, red-tanks, red-snipers); once or twice\n"
           "  --shard K/N      play only the K-th of N equal shares of the study (for N machines)\n"
           "  --summarize      the summary of the lines in the files, checked to be of one study\n"
           + oddsHelp() +
           "  -h, --help       this text;  --version  the version\n"
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
    LabOptions o;
    std::vector<const char*> positional = {argv[0]};
    std::vector<std::string> runOptions;  // options that only make sense when battles are played
    bool jobsGiven = false;
    bool optionsEnded = false;  // after a lone --, as the battle reads its counts
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (optionsEnded || !isOption(arg)) {
            positional.push_back(arg);
            continue;
        }
        if (std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        const size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        if (name == "--help" || name == "-h") {
            o.help = true;
            continue;
        }
        if (name == "--version") {
            o.version = true;
            continue;
        }
        if (name == "--summarize") {
            o.summarize = true;
            continue;
        }
        if (readOddsFlag(name, o.odds)) continue;
        const bool takesValue = name == "--battles" || name == "--first-seed" || name == "--jobs" ||
                                name == "--max-frames" || name == "--out" || name == "--plot" || name == "--vary" ||
                                name == "--shard" || takesOddsValue(name);
        if (!takesValue) {
            error = "unknown option '" + name + "' (battle-lab --help lists them)";
            return false;
        }
        if (!hasValue) {
            // The next argument, unless it is an option: --plot --battles 3 is a slip, not a
            // chart named --battles (--plot=--battles or --plot ./--battles names one).
            if (i + 1 >= argc || std::strncmp(argv[i + 1], "--", 2) == 0) {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (name != "--plot") runOptions.push_back(name);  // a sweep's chart can be drawn from its lines
        long long number = 0;
        if (takesOddsValue(name)) {
            if (!readOddsValue(name, value, o.odds, error)) return false;
        } else if (name == "--vary") {
            const std::optional<Vary> vary = readVary(value, error);
            if (!vary) return false;
            for (const Vary& before : o.varies) {
                if (before.count == vary->count) {
                    error = std::string("--vary ") + countName(vary->count) + " is given twice";
                    return false;
                }
            }
            if (o.varies.size() == 2) {
                error = "--vary may be given at most twice";
                return false;
            }
            o.varies.push_back(*vary);
        } else if (name == "--shard") {
            const std::optional<Shard> shard = readShard(value, error);
            if (!shard) return false;
            o.shard = *shard;
        } else if (name == "--battles") {
            if (!readWhole(name, value, 1, INT_MAX, number, error)) return false;
            o.battles = static_cast<int>(number);
        } else if (name == "--first-seed") {
            if (!readWhole(name, value, 0, UINT_MAX, number, error)) return false;
            o.firstSeed = static_cast<unsigned>(number);
        } else if (name == "--jobs") {
            if (!readWhole(name, value, 1, kMaxJobs, number, error)) return false;
            o.jobs = static_cast<int>(number);
            jobsGiven = true;
        } else if (name == "--max-frames") {
            if (!readWhole(name, value, 1, INT_MAX, number, error)) return false;
            o.maxFrames = static_cast<int>(number);
        } else if (value.empty()) {
            error = name + " needs a file name";
            return false;
        } else if (name == "--out") {
            o.outPath = value;
        } else {
            o.plotPath = value;
        }
    }
    if (o.help || o.version) {
        options = o;
        return true;
    }
    if (!checkOddsOptions(o.odds, runOptions, o.summarize, error)) return false;

    if (o.summarize) {
        if (!runOptions.empty()) {
            error = "--summarize takes only file names, not " + runOptions.front();
            return false;
        }
        o.files.assign(positional.begin() + 1, positional.end());
        if (o.files.empty()) {
            error = "--summarize needs at least one file";
            return false;
        }
        options = o;
        return true;
    }

    const unsigned long long lastSeed = static_cast<unsigned long long>(o.firstSeed) + o.battles - 1;
    if (lastSeed > UINT_MAX) {
        error = "the seeds " + std::to_string(o.firstSeed) + " to " + std::to_string(lastSeed) + " go past " +
                std::to_string(UINT_MAX);
        return false;
    }
    if (!jobsGiven) o.jobs = availableCores();
    o.counts = parseUnitCounts(static_cast<int>(positional.size()), positional.data());
    options = o;
    return true;
}
