#include "lab/Format.h"

#include <cstdarg>
#include <cstdio>

std::string format(const char* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, measure);
    va_end(measure);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, pattern, args);  // the end's '\0' goes where the string keeps one
    va_end(args);
    return text;
}

std::string counted(long long number, const char* one, const char* many)
{
    return std::to_string(number) + " " + (number == 1 ? one : many);
}
