#include "app/HeadlessBattle.h"

#include <cstdlib>

#include "app/Deployment.h"
#include "app/FrameLoop.h"
#include "world/Battlefield.h"

HeadlessBattle::HeadlessBattle(const UnitCounts& counts, unsigned seed) : previousCounts_(unitCounts)
{
    unitCounts = counts;
    srand(seed);
    field_ = new Battlefield();
    field_->generateTerrain();
    previousField_ = installBattlefield(field_);
    reinforcementTimer = kReinforcementFrames;
    deployArmies();
}

HeadlessBattle::~HeadlessBattle()
{
    installBattlefield(previousField_);
    delete field_;
    unitCounts = previousCounts_;
}

void HeadlessBattle::frame()
{
    field_->updatePass();
    countDownReinforcements(*field_);
}
