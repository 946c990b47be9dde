#include "game/OddsCounts.h"

#include "world/Team.h"

void OddsCounts::add(int winner)
{
    ++rollouts;
    if (winner == kRedTeam) {
        ++red;
    } else if (winner == kBlueTeam) {
        ++blue;
    } else {
        ++unfinished;
    }
}

void OddsCounts::add(const OddsCounts& other)
{
    rollouts += other.rollouts;
    red += other.red;
    blue += other.blue;
    unfinished += other.unfinished;
}

int OddsCounts::won(int team) const
{
    return team == kRedTeam ? red : team == kBlueTeam ? blue : 0;
}

WilsonInterval OddsCounts::chance(int team) const
{
    return rollouts > 0 ? wilsonInterval(won(team), rollouts) : WilsonInterval();
}
