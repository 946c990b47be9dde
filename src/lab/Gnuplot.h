#pragma once

#include <string>
#include <utility>
#include <vector>

class OutputFile;

// Draws a PNG with gnuplot: the script (which must send its output to standard output, `set
// output` with no name) reads its data from data blocks ("$alive"), given as names and texts.
// The script, the picture and gnuplot's messages are kept in files in memory, so nothing is
// left on the disk whatever ends the program, and the picture is written into png (not
// committed) only when gnuplot succeeded. gnuplot is held by SignalCleanup while it runs, so
// that a signal that ends the program ends it too. On failure returns false and says why in
// error, with gnuplot's own last message.
bool drawWithGnuplot(const std::string& script, const std::vector<std::pair<std::string, std::string>>& dataBlocks,
                     OutputFile& png, std::string& error);

// Whether a program can be found on the PATH.
bool programOnPath(const std::string& name);

// A team's colour as gnuplot writes one: "#ff0000".
std::string teamHexColour(int team);
