#include "cli/Quoted.h"

#include <cstddef>

namespace {
constexpr std::size_t kShownLength = 40;  // enough of an argument to recognise it
}  // namespace

std::string quoted(const std::string& text)
{
    std::string shown = "'";
    for (const char c : text.substr(0, kShownLength)) {
        shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    }
    return shown + (text.size() > kShownLength ? "...'" : "'");
}
