#include "lab/Calibration.h"

#include "game/Moment.h"
#include "lab/Format.h"
#include "world/Team.h"

Calibration::Calibration(const std::vector<int>& moments, int rollouts) : rollouts_(rollouts)
{
    for (const int frame : moments) moments_.emplace_back().frame = frame;
}

void Calibration::add(size_t m, const OddsCounts& odds, const AliveSample& alive, bool over, int winner)
{
    Moment& moment = moments_[m];
    if (over) {
        ++moment.over;
        return;
    }
    if (winner == kNoTeam) {
        ++moment.unfinished;
        return;
    }
    const bool redWon = winner == kRedTeam;
    const int red = alive.units[kRedTeam];
    const int both = red + alive.units[kBlueTeam];
    moment.odds.add(odds.red, odds.rollouts, redWon);
    moment.baseline.add(red, both, redWon);
    allOdds_.add(odds.red, odds.rollouts, redWon);
    allBaseline_.add(red, both, redWon);
}

void Calibration::addBattle(int winner)
{
    ++battles_;
    if (winner == kRedTeam || winner == kBlueTeam) {
        ++wins_[winner];
    } else {
        ++unfinished_;
    }
}

std::string Calibration::report() const
{
    std::string text = format("calibration of red's chance to win: %lld battles, %s a moment\n", battles_,
                              counted(rollouts_, "rollout", "rollouts").c_str());
    text += format("the ends: red won %lld, blue won %lld, unfinished %lld\n\n", wins_[kRedTeam], wins_[kBlueTeam],
                   unfinished_);
    text += "moment   scored   over  unfinished   odds: Brier  log loss   units alive: Brier  log loss\n";
    for (const Moment& m : moments_) {
        text += format("%-8s %6lld %6lld %11lld   %11.4f %9.4f   %18.4f %9.4f\n", momentText(m.frame).c_str(),
                       m.odds.count(), m.over, m.unfinished, m.odds.brier(), m.odds.logLoss(), m.baseline.brier(),
                       m.baseline.logLoss());
    }
    text += format("%-8s %6lld %6s %11s   %11.4f %9.4f   %18.4f %9.4f\n", "all", allOdds_.count(), "", "",
                   allOdds_.brier(), allOdds_.logLoss(), allBaseline_.brier(), allBaseline_.logLoss());
    text += "\nreliability, every moment scored: the chance given, and the share that came true\n";
    text += "chance        odds: mean  came true   count   units alive: mean  came true   count\n";
    for (int b = 0; b < ForecastScore::kBins; ++b) {
        const ForecastScore::Bin& odds = allOdds_.bin(b);
        const ForecastScore::Bin& baseline = allBaseline_.bin(b);
        std::string row = format("%3d%% to %3d%%", 100 * b / ForecastScore::kBins,
                                 100 * (b + 1) / ForecastScore::kBins);
        for (const ForecastScore::Bin* bin : {&odds, &baseline}) {
            row += bin->count > 0 ? format(bin == &odds ? " %10.3f %10.3f %7lld" : " %19.3f %10.3f %7lld",
                                           bin->meanForecast(), bin->shareTrue(), bin->count)
                                  : format(bin == &odds ? " %10s %10s %7d" : " %19s %10s %7d", "-", "-", 0);
        }
        text += row + "\n";
    }
    return text;
}
