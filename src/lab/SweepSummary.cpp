#include "lab/SweepSummary.h"

#include <algorithm>
#include <set>
#include <sstream>

#include "game/UnitCounts.h"
#include "lab/Format.h"
#include "lab/Gnuplot.h"

namespace {

constexpr size_t kMostTics = 20;  // labels on an axis; cells of a heat map with their share written in

// "47.5% [40.7, 54.4]": a share and its interval, in percent.
std::string share(long long count, long long battles)
{
    const WilsonInterval w = wilsonInterval(count, battles);
    return format("%5.1f%% [%5.1f, %5.1f]", 100 * w.share, 100 * w.low, 100 * w.high);
}

}  // namespace

void SweepSummary::add(const BattleOutcome& outcome)
{
    byCounts_[countsKey(outcome.counts)].add(outcome);
    ++battles_;
}

std::vector<int> SweepSummary::variedCounts() const
{
    return sweep_ ? varied_ : differingCounts();
}

std::vector<int> SweepSummary::differingCounts() const
{
    std::vector<int> varied;
    if (byCounts_.empty()) return varied;
    for (int count = 0; count < kCountNames; ++count) {
        const int first = byCounts_.begin()->first[count];
        const bool differs = std::any_of(byCounts_.begin(), byCounts_.end(),
                                         [&](const auto& entry) { return entry.first[count] != first; });
        if (differs) varied.push_back(count);
    }
    return varied;
}

std::vector<SweepSummary::Row> SweepSummary::rows() const
{
    std::vector<Row> rows;
    for (const auto& [values, summary] : byCounts_) {
        UnitCounts counts;
        for (int count = 0; count < kCountNames; ++count) setCount(counts, count, values[count]);
        rows.push_back({counts, &summary});
    }
    return rows;
}

std::string formatSweepSummary(const SweepSummary& sweep)
{
    const std::vector<SweepSummary::Row> rows = sweep.rows();
    if (!sweep.table()) return formatSummary(rows.empty() ? LabSummary() : *rows.front().summary);
    const std::vector<int> varied = sweep.variedCounts();
    std::ostringstream text;
    text << "compositions " << rows.size() << ", battles " << sweep.battles() << "\n";
    for (const int count : varied) text << countName(count) << "  ";
    text << format("%7s   %-20s   %-20s   %-20s   %s\n", "battles", "red wins", "blue wins", "unfinished",
                   "mean length");
    for (const SweepSummary::Row& row : rows) {
        const LabSummary& s = *row.summary;
        for (const int count : varied) {
            text << format("%*d  ", static_cast<int>(std::string(countName(count)).size()), countOf(row.counts, count));
        }
        const std::string length = s.finished() == 0 ? "no base fell" : format("%.1f s", s.meanSeconds());
        text << format("%7lld   %s   %s   %s   %s\n", s.battles, share(s.wins[0], s.battles).c_str(),
                       share(s.wins[1], s.battles).c_str(), share(s.unfinished, s.battles).c_str(), length.c_str());
    }
    text << "shares with their 95% Wilson intervals; the mean length is over the battles in which a base fell\n";
    return text.str();
}

bool drawSweepChart(const SweepSummary& sweep, OutputFile& png, std::string& error)
{
    if (!sweep.chartable()) {
        error = "the chart of a sweep needs battles of several armies that differ in one or two counts";
        return false;
    }
    const std::vector<int> varied = sweep.differingCounts();
    std::ostringstream data;
    data << "# " << countName(varied[0]) << (varied.size() == 2 ? std::string(" ") + countName(varied[1]) : "")
         << " blue-share blue-low blue-high (percent)\n";
    for (const SweepSummary::Row& row : sweep.rows()) {
        const WilsonInterval w = wilsonInterval(row.summary->wins[1], row.summary->battles);
        data << countOf(row.counts, varied[0]);
        if (varied.size() == 2) data << ' ' << countOf(row.counts, varied[1]);
        data << ' ' << 100 * w.share << ' ' << 100 * w.low << ' ' << 100 * w.high << '\n';
    }
    // The values of a varied count, and a tic at each of them, or at every few on a long axis.
    auto values = [&](int place) {
        std::set<int> found;
        for (const SweepSummary::Row& row : sweep.rows()) found.insert(countOf(row.counts, varied[place]));
        return found;
    };
    auto tics = [&](int place) {
        const std::set<int> all = values(place);
        const size_t every = (all.size() + kMostTics - 1) / kMostTics;
        std::string list;
        size_t n = 0;
        for (const int value : all) {
            if (n++ % every == 0) list += (list.empty() ? "(" : ", ") + std::to_string(value);
        }
        return list + ")";
    };
    const std::string blue = teamHexColour(1);
    std::ostringstream s;
    s << "set terminal pngcairo size 1000,800 font 'sans,10'\n"
         "set output\n"
         "set grid\n";
    if (varied.size() == 1) {
        s << "set title \"Blue's win share against " << countName(varied[0]) << ", with its 95% Wilson interval\\n("
          << sweep.battles() << " battles, the same seeds for every composition)\"\n"
          << "set xlabel '" << countName(varied[0]) << "'\nset ylabel \"blue's win share (%)\"\n"
          << "set xtics " << tics(0) << "\n"
          << "set yrange [0:100]\nset key top left\n"
             "set style fill transparent solid 0.2 noborder\n"
             "plot $sweep using 1:3:4 with filledcurves lc rgb '"
          << blue << "' title '95% interval', \\\n  '' using 1:2 with linespoints lw 2 pt 7 lc rgb '" << blue
          << "' title 'blue wins'\n";
    } else {
        s << "set title \"Blue's win share (%) by " << countName(varied[0]) << " and " << countName(varied[1]) << "\\n("
          << sweep.battles() << " battles, the same seeds for every composition)\"\n"
          << "set xlabel '" << countName(varied[0]) << "'\nset ylabel '" << countName(varied[1]) << "'\n"
          << "set xtics " << tics(0) << "\nset ytics " << tics(1) << "\n"
          << "set cbrange [0:100]\nset cblabel \"blue's win share (%)\"\n"
             "set palette defined (0 '#ff0000', 50 '#f0f0f0', 100 '"
          << blue
          << "')\n"
             "unset key\nset tics out\nset autoscale fix\n"
             "plot $sweep using 1:2:3 with image";
        // The shares written in the cells while they have room for them.
        if (values(0).size() <= kMostTics && values(1).size() <= kMostTics) {
            s << ", \\\n  '' using 1:2:(sprintf('%.0f', $3)) with labels font 'sans,9'";
        }
        s << "\n";
    }
    return drawWithGnuplot(s.str(), {{"$sweep", data.str()}}, png, error);
}
