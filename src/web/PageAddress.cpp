#include "web/PageAddress.h"

#include <climits>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <sstream>
#include <vector>

#include "cli/CountArguments.h"
#include "cli/OptionNumber.h"
#include "cli/Quoted.h"
#include "game/Moment.h"

namespace {

// How a whole number past a count's range is out of it ("more than 2147483647"), or an empty
// text for one in range or for a text that is not a whole number at all.
std::string outOfRange(const std::string& text)
{
    const bool negative = !text.empty() && text[0] == '-';
    const std::string digits = negative ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos || readWholeCount(text)) return "";
    return negative ? "less than " + std::to_string(INT_MIN) : "more than " + std::to_string(INT_MAX);
}

// The address's counts into counts; what is wrong with them, naming a count out of range, or an
// empty text.
std::string readCounts(const std::string& text, UnitCounts& counts)
{
    std::vector<int> values;
    std::string field;
    std::istringstream fields(text + ",");
    bool whole = true;
    while (whole && std::getline(fields, field, ',')) {
        const std::optional<int> count = readWholeCount(field);
        if (count) values.push_back(*count);
        else if (!outOfRange(field).empty()) return "The count " + quoted(field) + " in the counts is " + outOfRange(field);
        whole = count.has_value();
    }
    if (!whole || values.size() != kCountNames)
        return "The counts " + quoted(text) + " are not six whole numbers separated by commas";
    for (int count = 0; count < kCountNames; ++count) setCount(counts, count, values[count]);
    return "";
}

}  // namespace

std::string seedProblem(const std::string& seed)
{
    if (readOptionNumber(seed, kMaxSeed)) return "";
    return "The seed " + quoted(seed) + " is not a number from 0 to " + std::to_string(kMaxSeed);
}

std::string countProblem(const std::string& count)
{
    if (readWholeCount(count)) return "";
    const std::string range = outOfRange(count);
    return "The count " + quoted(count) + (range.empty() ? " is not a whole number" : " is " + range);
}

std::string momentProblem(const std::string& moment)
{
    if (parseMoment(moment)) return "";
    if (moment.empty()) return "The moment is empty";
    return "The moment " + quoted(moment) + " is not one from 0 to 10:00:00, such as 1:30, 90.5 or 5400f";
}

PageAddress readPageAddress(const char* seed, const char* counts, const char* loop, const char* moment)
{
    PageAddress address;
    std::string error;
    if (seed != nullptr) {
        error = seedProblem(seed);
        if (error.empty()) address.seed = static_cast<unsigned>(*readOptionNumber(seed, kMaxSeed));
    }
    // Counts it cannot read give the default armies, the seed and the rest as asked.
    std::string countsError;
    if (counts != nullptr && error.empty()) countsError = readCounts(counts, address.counts);
    if (loop != nullptr && error.empty()) {
        const std::string value = loop;
        if (value == "1" || value == "0") {
            address.loop = value == "1";
        } else {
            error = "The loop " + quoted(loop) + " is neither 1 nor 0";
        }
    }
    if (error.empty() && moment != nullptr) {
        address.at = parseMoment(moment);
        // The battle asked for is still the one to show: only the moment is dropped.
        if (!address.at) address.error = momentProblem(moment) + ": playing from the start.";
    }
    if (error.empty() && !countsError.empty()) {
        address.counts = UnitCounts();
        address.error = countsError + (address.seed ? ": playing seed " + std::to_string(*address.seed) + " with the default armies."
                                                    : ": playing the default battle.");
    }
    if (error.empty()) return address;
    PageAddress fallback;
    fallback.error = error + ": playing the default battle.";
    return fallback;
}

std::string pageQuery(unsigned seed, const UnitCounts& counts, bool loop, std::optional<int> at)
{
    std::ostringstream query;
    query << "?seed=" << seed;
    if (counts != UnitCounts()) {
        query << "&counts=" << countsText(counts, ',');
    }
    if (loop) query << "&loop=1";
    if (at) query << "&t=" << addressMoment(*at);
    return query.str();
}

std::string addressMoment(int frame)
{
    constexpr int kFramesPerTenth = kTicksPerSecond / 10;
    if (frame < 0 || frame % kFramesPerTenth != 0) return std::to_string(frame) + "f";
    const int seconds = frame / kTicksPerSecond;
    const int tenths = frame % kTicksPerSecond / kFramesPerTenth;
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    }
    return tenths == 0 ? text : text + std::string(".") + std::to_string(tenths);
}
