#pragma once

#include <string>

// The text printf would print for pattern and the values, whatever its length.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
