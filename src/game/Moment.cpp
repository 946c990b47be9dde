#include "game/Moment.h"

#include <cctype>
#include <cstdio>
#include <vector>

namespace {

bool allDigits(const std::string& text)
{
    if (text.empty()) return false;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// A whole number of at most `width` digits (any number of digits for width 0).
std::optional<long long> number(const std::string& text, size_t width)
{
    if (!allDigits(text) || (width > 0 && text.size() > width) || text.size() > 12) return std::nullopt;
    return std::stoll(text);
}

}  // namespace

std::optional<int> parseMoment(const std::string& text)
{
    long long frames = 0;
    if (!text.empty() && text.back() == 'f') {
        const auto whole = number(text.substr(0, text.size() - 1), 0);
        if (!whole) return std::nullopt;
        frames = *whole;
    } else {
        // Whole seconds and a fraction, after up to two fields of hours and minutes.
        std::string seconds = text;
        std::string fraction;
        const size_t point = text.find('.');
        if (point != std::string::npos) {
            seconds = text.substr(0, point);
            fraction = text.substr(point + 1);
            if (!allDigits(fraction)) return std::nullopt;
        }
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t colon; (colon = seconds.find(':', start)) != std::string::npos; start = colon + 1) {
            fields.push_back(seconds.substr(start, colon - start));
        }
        fields.push_back(seconds.substr(start));
        if (fields.size() > 3) return std::nullopt;
        long long total = 0;
        for (size_t n = 0; n < fields.size(); ++n) {
            // The first field may be as large as it likes; the ones after it are 0..59.
            const auto value = number(fields[n], n == 0 ? 0 : 2);
            if (!value || (n > 0 && *value > 59)) return std::nullopt;
            total = total * 60 + *value;
            if (total > kLatestMoment) return std::nullopt;
        }
        frames = total * kTicksPerSecond;
        long long scale = 1;
        long long parts = 0;
        for (size_t n = 0; n < fraction.size() && n < 6; ++n) {
            parts = parts * 10 + (fraction[n] - '0');
            scale *= 10;
        }
        frames += parts * kTicksPerSecond / scale;
    }
    if (frames > kLatestMoment) return std::nullopt;
    return static_cast<int>(frames);
}

std::string momentText(int frame)
{
    const long long tenths = static_cast<long long>(frame < 0 ? 0 : frame) * 10 / kTicksPerSecond;
    const long long seconds = tenths / 10;
    char text[48];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    }
    return tenths % 10 == 0 ? text : text + ("." + std::to_string(tenths % 10));
}
