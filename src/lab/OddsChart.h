#pragma once

#include <string>
#include <vector>

#include "game/OddsCounts.h"
#include "game/TurningPoints.h"
#include "world/Team.h"

class Calibration;
class OutputFile;

// The course of the odds of one battle as the lab draws it: each side's chance against battle
// time, with its 95% interval as a band, the reinforcement waves, the battle's real end and its
// turning points.
struct OddsCourse {
    unsigned seed = 0;
    int rollouts = 0;
    std::vector<OddsCounts> moments;  // by frame
    int winner = kNoTeam;             // of the battle played to its end
    int endFrame = 0;                 // the frame a base fell in; 0 when none did
    int horizon = 0;                  // frames the battle was played to when none fell
    std::vector<TurningPoint> turningPoints;
};

// The gnuplot script and data of the course (for a look at them) and the chart drawn into an
// open PNG file (not committed). On failure returns false and says why in error.
std::string oddsCourseScript(const OddsCourse& course);
std::string oddsCourseData(const OddsCourse& course);
bool drawOddsCourse(const OddsCourse& course, OutputFile& png, std::string& error);

// The reliability diagram of a calibration: the share that came true against the mean chance
// given, bin by bin, of the odds and of the units alive, beside the diagonal of a forecast
// that can be trusted.
bool drawReliability(const Calibration& calibration, OutputFile& png, std::string& error);
