#include "lab/OddsOptions.h"

#include <algorithm>

#include "cli/OptionNumber.h"
#include "cli/Quoted.h"
#include "game/DueTicks.h"
#include "game/Moment.h"

namespace {

// The options that take a value and go with only one of the two, or with neither.
const char* const kOddsOnly[] = {"--seed", "--every"};
const char* const kNeitherOdds[] = {"--max-frames", "--vary", "--shard"};
const char* const kOddsValues[] = {"--seed", "--at", "--every", "--rollouts"};

bool among(const std::string& name, const char* const* first, const char* const* last)
{
    return std::find(first, last, name) != last;
}

}  // namespace

std::vector<int> OddsOptions::moments() const
{
    std::vector<int> frames = at;
    if (frames.empty() && calibrate) {
        frames = {0, 10 * kTicksPerSecond, 30 * kTicksPerSecond, 60 * kTicksPerSecond};
    } else if (frames.empty() && every == 0) {
        frames = {0};
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}

bool readOddsFlag(const std::string& name, OddsOptions& options)
{
    if (name == "--odds") {
        options.odds = true;
    } else if (name == "--calibrate") {
        options.calibrate = true;
    } else {
        return false;
    }
    return true;
}

bool takesOddsValue(const std::string& name)
{
    return among(name, std::begin(kOddsValues), std::end(kOddsValues));
}

bool readOddsValue(const std::string& name, const std::string& value, OddsOptions& options, std::string& error)
{
    if (name == "--at" || name == "--every") {
        const std::optional<int> frame = parseMoment(value);
        if (name == "--at" && !frame) {
            error = "--at needs a moment of the battle (0:42, 42, 42.5 or 2520f), got " + quoted(value);
            return false;
        }
        if (name == "--every" && (!frame || *frame == 0)) {
            error = "--every needs a battle time of at least a frame (1, 0.5, 1:00 or 30f), got " + quoted(value);
            return false;
        }
        if (name == "--at") {
            options.at.push_back(*frame);
        } else {
            options.every = *frame;
        }
        return true;
    }
    const bool seed = name == "--seed";
    const unsigned long long low = seed ? 0 : 1;
    const unsigned long long high = seed ? kMaxSeed : OddsOptions::kMostRollouts;
    const std::string range = "from " + std::to_string(low) + " to " + std::to_string(high);
    const std::optional<unsigned long long> number = readOptionNumber(value, high);
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) {
        error = name + " needs a whole number " + range + ", got " + quoted(value);
        return false;
    }
    if (!number || *number < low) {
        error = name + " must be " + range + ", got " + value;
        return false;
    }
    if (seed) {
        options.seed = static_cast<unsigned>(*number);
    } else {
        options.rollouts = static_cast<int>(*number);
    }
    return true;
}

bool checkOddsOptions(const OddsOptions& options, const std::vector<std::string>& given, bool summarize,
                      std::string& error)
{
    const char* const mode = options.odds ? "--odds" : "--calibrate";
    if (options.odds && options.calibrate) {
        error = "--odds and --calibrate do not go together";
    } else if (summarize && options.asked()) {
        error = std::string("--summarize takes only file names, not ") + mode;
    } else if (options.odds && !options.seed) {
        error = "--odds needs the seed of its battle, --seed S";
    }
    for (const std::string& name : given) {
        if (!error.empty()) break;
        if (!options.asked() && takesOddsValue(name)) {
            error = name + (name == "--seed" || name == "--every" ? " goes with --odds" : " goes with --odds or --calibrate");
        } else if (options.asked() && among(name, std::begin(kNeitherOdds), std::end(kNeitherOdds))) {
            error = name + " does not go with " + mode;
        } else if (options.odds && (name == "--battles" || name == "--first-seed")) {
            error = name + " does not go with --odds: it plays the battle of --seed";
        } else if (options.calibrate && among(name, std::begin(kOddsOnly), std::end(kOddsOnly))) {
            error = name + " does not go with --calibrate";
        }
    }
    return error.empty();
}

std::string oddsUsage()
{
    return "       battle-lab --odds --seed S [--at MOMENT]... [--every SECONDS] [--rollouts R] [--jobs J]\n"
           "                  [--out FILE] [--plot FILE.png] [COUNTS]\n"
           "       battle-lab --calibrate [--at MOMENT]... [--battles N] [--first-seed S] [--rollouts R]\n"
           "                  [--jobs J] [--out FILE] [--plot FILE.png] [COUNTS]\n";
}
