#pragma once

#include <cstdio>
#include <string>

class OutputFile;
struct LabOptions;

// battle-lab: plays seeded battles without a screen, or sums up the lines of earlier runs.
// Results go to out, messages and the progress bar to err. Returns the exit status: 0, 1 when
// a battle, a write or the chart failed, 2 for a mistake on the command line, a file that
// cannot be read or written or lines that cannot be summed up together, 130, 143 or 129
// after SIGINT, SIGTERM or SIGHUP.
int runLab(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

// ---- how every part of the lab reports and writes its outputs ----
constexpr int kStatusFailed = 1;
constexpr int kStatusUsage = 2;

// "battle-lab: message" on err; gives status.
int complain(std::FILE* err, const std::string& message, int status);
// Started with standard output closed: what is meant for it would be lost without a word.
int outputClosed(std::FILE* err);
// Text printed in full, or the reason it could not be.
bool print(std::FILE* stream, const std::string& text, std::string& error);
// Whole lines in one write, so that nothing stopped between two writes leaves half a line.
bool writeWhole(std::FILE* stream, const std::string& lines, std::string& error);
bool isPipe(std::FILE* stream);
// Whether an output named so goes to standard output ("-", /dev/stdout, the file it was sent to).
bool toStandardOutput(const std::string& path, std::FILE* out);
// The refusals of --out and --plot made before any battle is played and any file touched: 0,
// or the exit status.
int refuseUpFront(const LabOptions& options, std::FILE* out, std::FILE* err);
// Opens the file of --out or --plot (none for an empty path), or standard output for it: 0, or
// the exit status when it cannot be written.
int openOutput(OutputFile& file, const std::string& path, std::FILE* out, std::FILE* err);
// Gives the chart its name once drawn: 0, or the exit status.
int commitChart(OutputFile& chart, const std::string& path, bool drawn, const std::string& drawError, std::FILE* err);
