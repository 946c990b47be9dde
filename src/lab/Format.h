#pragma once

#include <string>

// The text printf would print for pattern and the values, whatever its length.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// A number and what it counts, in the singular for 1: "1 battle", "3 battles".
std::string counted(long long number, const char* one, const char* many);
