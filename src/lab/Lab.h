#pragma once

#include <cstdio>

// battle-lab: plays seeded battles without a screen, or sums up the lines of earlier runs.
// Results go to out, messages and the progress bar to err. Returns the exit status: 0, 1 when
// a job or the chart failed, 2 for a mistake on the command line or a file that cannot be
// read or written, 130 after Ctrl-C.
int runLab(int argc, const char* const* argv, std::FILE* out, std::FILE* err);
