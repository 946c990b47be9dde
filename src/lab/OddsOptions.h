#pragma once

#include <optional>
#include <string>
#include <vector>

// What battle-lab is asked about the odds: --odds (of one battle) or --calibrate (of many,
// against how they really ended), with the options that go with them.
struct OddsOptions {
    static constexpr int kMostRollouts = 1000000;

    bool odds = false;             // --odds
    bool calibrate = false;        // --calibrate
    std::optional<unsigned> seed;  // --seed S, the battle of --odds
    std::vector<int> at;           // --at MOMENT..., as frames, in the order given
    int every = 0;                 // --every SECONDS, as frames; 0 when not given
    int rollouts = 64;             // --rollouts R, a moment

    bool asked() const { return odds || calibrate; }
    // The moments asked for: --at's, or else 0:00 (--odds) or 0:00, 0:10, 0:30 and 1:00
    // (--calibrate); sorted, each once.
    std::vector<int> moments() const;
};

// Whether name is a flag of the odds (--odds, --calibrate); sets it when it is.
bool readOddsFlag(const std::string& name, OddsOptions& options);
// Whether name is an option of the odds that takes a value (--seed, --at, --every, --rollouts).
bool takesOddsValue(const std::string& name);
// Reads the value of such an option. On a mistake returns false with error set.
bool readOddsValue(const std::string& name, const std::string& value, OddsOptions& options, std::string& error);
// After the whole command line: whether the options of the odds go with the rest, given the
// options with a value that were given (in order) and whether --summarize was. On a mistake
// returns false with error set.
bool checkOddsOptions(const OddsOptions& options, const std::vector<std::string>& given, bool summarize,
                      std::string& error);

// The odds' usage lines, for battle-lab --help.
std::string oddsUsage();
