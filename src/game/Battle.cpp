#include "game/Battle.h"

#include "game/Countdown.h"
#include "game/Deployment.h"
#include "world/Battlefield.h"
#include "world/Random.h"

std::string windowTitle(unsigned seed)
{
    return "Battle - seed " + std::to_string(seed);
}

Battle::Battle(const UnitCounts& counts, unsigned seed)
    : counts_(counts), previousField_(installBattlefield(nullptr)), previousCounts_(unitCounts)
{
    unitCounts = counts;
    start(seed);
}

Battle::~Battle()
{
    installBattlefield(previousField_);
    unitCounts = previousCounts_;
}

void Battle::restart(unsigned seed)
{
    restart(counts_, seed);
}

void Battle::restart(const UnitCounts& counts, unsigned seed)
{
    counts_ = counts;
    unitCounts = counts;
    start(seed);
}

void Battle::start(unsigned seed)
{
    seed_ = seed;
    passes_ = 0;
    endPass_ = 0;
    seedBattleRand(seed);  // before the terrain: the hills are the first draws of a battle
    auto field = std::make_unique<Battlefield>();
    field->generateTerrain();
    installBattlefield(field.get());
    field_ = std::move(field);  // the battle that ended, if any, is destroyed here
    reinforcementTimer = kReinforcementFrames;
    deployArmies();  // the units' draws follow the terrain's
}

void Battle::frame()
{
    pass();
    countDown();
}

void Battle::pass()
{
    field_->updatePass();
    ++passes_;
    if (endPass_ == 0 && field_->gameOver != 0) endPass_ = passes_;
}

void Battle::countDown()
{
    countDownReinforcements(*field_);
}

bool Battle::over() const
{
    return field_->gameOver != 0;
}
