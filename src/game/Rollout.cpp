#include "game/Rollout.h"

#include <cstdint>

#include "game/Battle.h"
#include "world/Battlefield.h"
#include "world/Team.h"

unsigned rolloutSeed(unsigned seed, int frame, int k)
{
    const std::uint64_t start = static_cast<std::uint64_t>(seed) << 32 | static_cast<std::uint32_t>(frame);
    std::uint64_t z = start + (static_cast<std::uint64_t>(k) + 1) * 0x9E3779B97F4A7C15u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return static_cast<std::uint32_t>(z ^ (z >> 31));
}

Battle startRollout(const Battle& moment, int k)
{
    Battle rollout(moment);
    rollout.random().reseed(rolloutSeed(moment.seed(), Timeline::frameOf(moment), k));
    rollout.setWatched(false);
    return rollout;
}

bool rolloutEnded(const Battle& rollout)
{
    return rollout.over() || rollout.passes() >= kRolloutHorizon;
}

int rolloutWinner(const Battle& rollout)
{
    const int fallen = rollout.over() ? rollout.field().eliminatedTeam : kNoTeam;
    return fallen == kRedTeam ? kBlueTeam : fallen == kBlueTeam ? kRedTeam : kNoTeam;
}

int playRollout(const Battle& moment, int k)
{
    Battle rollout = startRollout(moment, k);
    while (!rolloutEnded(rollout)) rollout.frame();
    return rolloutWinner(rollout);
}
