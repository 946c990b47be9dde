#include "cli/ProgressBar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kDefaultWidth = 80;
constexpr double kShortestMeasure = 0.5;  // seconds

std::string clock(double seconds)
{
    const long total = std::lround(seconds);
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    }
    return text;
}

}  // namespace

ProgressBar::ProgressBar(std::FILE* stream, int total, std::string unit, bool wanted)
    : stream_(stream),
      total_(total),
      unit_(std::move(unit)),
      active_(wanted && isatty(fileno(stream)) != 0),
      start_(Clock::now()),
      lastDrawn_(start_)
{
}

std::string ProgressBar::text(int done, int total, const std::string& unit, double seconds, int width)
{
    char counts[128];
    // A rate measured over the first moments says nothing yet.
    if (done > 0 && seconds >= kShortestMeasure) {
        const double rate = done / seconds;
        const std::string left = done < total ? ", about " + clock((total - done) / rate) + " left" : "";
        std::snprintf(counts, sizeof counts, " %d/%d %s, %.1f/s%s", done, total, unit.c_str(), rate, left.c_str());
    } else {
        std::snprintf(counts, sizeof counts, " %d/%d %s", done, total, unit.c_str());
    }
    const int barWidth = std::max(0, std::min(40, width - 1 - static_cast<int>(std::string(counts).size()) - 2));
    const int filled = total > 0 ? static_cast<int>(static_cast<long long>(barWidth) * done / total) : 0;
    std::string line = "[" + std::string(filled, '#') + std::string(barWidth - filled, '.') + "]" + counts;
    if (static_cast<int>(line.size()) > width - 1) line.resize(std::max(0, width - 1));
    return line;
}

void ProgressBar::update(int done)
{
    if (!active_) return;
    const Clock::time_point now = Clock::now();
    if (done == done_ && shown_ && now - lastDrawn_ < kRedrawInterval * 5) return;
    if (shown_ && now - lastDrawn_ < kRedrawInterval && done < total_) return;
    done_ = done;
    lastDrawn_ = now;
    winsize size{};
    const int width = ioctl(fileno(stream_), TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : kDefaultWidth;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(stream_, "\r%s\033[K", text(done, total_, unit_, seconds, width).c_str());
    std::fflush(stream_);
    shown_ = true;
}

void ProgressBar::clear()
{
    if (!shown_) return;
    std::fputs("\r\033[K", stream_);
    std::fflush(stream_);
    shown_ = false;
}
