#pragma once

#include <cstdio>

struct LabOptions;

// battle-lab --odds: the odds of one battle at its moments, as text, lines (--out) and the
// chart of their course (--plot). battle-lab --calibrate: the odds of many battles at their
// moments against how the battles ended, with the share of units alive beside them, as text,
// lines and a reliability diagram. Outputs, refusals, stop signals and exit statuses as in the
// rest of the lab (runLab).
int runOdds(const LabOptions& options, std::FILE* out, std::FILE* err);
