#pragma once

#include <string>

// An argument or a value as a one-line message shows it, in single quotes: control characters
// would break the line (or the terminal), so they are shown as '?', and a long one is cut short
// after 40 characters with "...".
std::string quoted(const std::string& text);
