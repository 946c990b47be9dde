#include "game/ArmyCount.h"

#include "units/Soldier.h"
#include "units/Tank.h"
#include "world/Battlefield.h"

AliveSample aliveOf(const Battlefield& field)
{
    // Every unit that is not a base is a rifleman, a sniper or a tank: no need to ask which,
    // and a battle samples this every second.
    AliveSample sample;
    for (const Entity* unit : field.units()) {
        if (!(unit->health > 0) || unit->team < 0 || unit->team >= kSides) continue;
        if (unit->getType() == ObjectKind::MobileUnit) ++sample.units[unit->team];
    }
    return sample;
}

ArmyCount countArmies(const Battlefield& field)
{
    ArmyCount count;
    for (const Entity* unit : field.units()) {
        if (!(unit->health > 0) || unit->team < 0 || unit->team >= kSides) continue;
        int kind = -1;
        if (const auto* soldier = dynamic_cast<const Soldier*>(unit)) {
            kind = soldier->soldierKind == SoldierKind::Sniper ? kSnipersKind : kRiflemenKind;
        } else if (dynamic_cast<const Tank*>(unit) != nullptr) {
            kind = kTanksKind;
        }
        if (kind >= 0) ++count.units[unit->team][kind];
    }
    return count;
}
