#pragma once

#include <string>
#include <utility>
#include <vector>

class OutputFile;

// Draws a PNG with gnuplot: the script (which must set its output to 'chart.png') and its data
// files, as names and texts, are written to a temporary folder, gnuplot runs there, and the
// picture is written into png (not committed). The folder is removed whatever happens. On
// failure returns false and says why in error, with gnuplot's own last message.
bool drawWithGnuplot(const std::string& script, const std::vector<std::pair<std::string, std::string>>& dataFiles,
                     OutputFile& png, std::string& error);

// Whether a program can be found on the PATH.
bool programOnPath(const std::string& name);

// A team's colour as gnuplot writes one: "#ff0000".
std::string teamHexColour(int team);
