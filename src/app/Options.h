#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "app/ClipRecorder.h"
#include "game/UnitCounts.h"

// The longest clip: one hour of play, so that a slip of the finger cannot fill a disk.
constexpr int kMaxRecordFrames = 216000;

// Exit status of a bad command line, as other command-line programs use it.
constexpr int kBadCommandLineStatus = 2;

// What the command line asks for. Arguments that start with "--", or with a dash and a letter
// ("-h" for --help), are options and are taken out first (a lone "--" ends the options); the
// rest are read by parseUnitCounts exactly as they would be on their own, so a line of counts
// alone means what it always meant, "-5" included.
struct Options {
    UnitCounts counts;                // the six counts, or all defaults
    bool help = false;                // --help or -h: usage on standard output, nothing else
    bool version = false;             // --version: the version on standard output, nothing else
    std::optional<unsigned> seed;     // --seed N: the battle of this seed; none means a seed from the clock
    bool loop = false;                // --loop: the next battle starts after one has ended
    std::string record;               // --record FILE: the clip to write with no display; empty for none
    int frames = kDefaultClipFrames;  // --frames N: logical frames to record, 1..kMaxRecordFrames
    std::optional<int> at;            // --at MOMENT: the logical frame shown first, paused (or recorded from)
    std::string error;                // the first fault of a bad command line; empty when it is good

    bool recording() const { return !record.empty(); }
};

// Reads the whole command line. Never fails: a bad line comes back with error set (the
// other fields then hold whatever was read, and are not to be used).
Options parseOptions(int argc, const char* const* argv);

// The text --help prints, ending with a newline.
std::string usageText();

// The text --version prints, ending with a newline.
std::string versionText();

// What the program does before anything else: answers --help and --version on out (exit 0;
// --help wins over --version, and both over a bad rest of the line; exit 1 with the reason on
// err when out cannot take it: null for a closed standard output, full, or a pipe whose reader
// quit), or reports a bad line as one line and the usage on err (exit 2). Gives the exit status when the program must stop
// here, nothing when the battle is to start.
std::optional<int> answerBeforeStart(const Options& options, std::FILE* out, std::FILE* err);
