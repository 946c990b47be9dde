#pragma once

#include <cstdio>

// battle-lab: plays seeded battles without a screen, or sums up the lines of earlier runs.
// Results go to out, messages and the progress bar to err. Returns the exit status: 0, 1 when
// a battle, a write or the chart failed, 2 for a mistake on the command line, a file that
// cannot be read or written or lines that cannot be summed up together, 130, 143 or 129
// after SIGINT, SIGTERM or SIGHUP.
int runLab(int argc, const char* const* argv, std::FILE* out, std::FILE* err);
