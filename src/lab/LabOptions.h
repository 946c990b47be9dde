#pragma once

#include <string>
#include <vector>

#include "game/UnitCounts.h"
#include "lab/OddsOptions.h"
#include "lab/Study.h"

// What battle-lab was asked to do.
struct LabOptions {
    int battles = 100;               // --battles N
    unsigned firstSeed = 1;          // --first-seed S: battle k plays seed S + k
    int jobs = 0;                    // --jobs J; 0 until parsed: the number of cores
    int maxFrames = 36000;           // --max-frames F: ten minutes of battle time
    std::string outPath;             // --out FILE, "-" for standard output; empty: no lines
    std::string plotPath;            // --plot FILE.png, "-" for standard output; empty: no chart
    UnitCounts counts;               // six counts as the battle reads them, or the defaults
    std::vector<Vary> varies;        // --vary NAME=FROM:TO:STEP, once or twice: a sweep
    Shard shard;                     // --shard K/N: this run's share of the study
    bool summarize = false;          // --summarize: read lines instead of playing battles
    std::vector<std::string> files;  // the files to summarize, "-" for standard input
    OddsOptions odds;                // --odds or --calibrate, and theirs
    bool help = false;               // --help
    bool version = false;            // --version
};

// Reads the command line. On a mistake returns false with error set to one line saying what
// is wrong (without the program's name). The study's own checks (the size of the grid, the
// shard) are made where the study is built from these options.
bool parseLabOptions(int argc, const char* const* argv, LabOptions& options, std::string& error);

// The usage text printed by --help.
std::string labUsage();

// The text printed by --version: "battle-lab 1.1.0".
std::string labVersion();

// The processors this process may run on, at least 1.
int availableCores();
