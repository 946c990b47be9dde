// Units take their memory from the blocks that earlier units gave back. A block must never be
// handed out twice, and a unit made in a block that held another kind of unit must be exactly
// the unit made.

#include <memory>
#include <set>
#include <vector>

#include "support/TestWorld.h"
#include "units/Soldier.h"
#include "units/Tank.h"
#include "units/UnitMemory.h"

using UnitMemoryTest = WorldTest;

TEST_F(UnitMemoryTest, BlocksGoRoundWithoutLossAndHoldWhateverUnitTakesThemNext)
{
    // Thirty units, tanks and snipers by turns, the first of them a tank or a sniper.
    auto make = [this](bool tankFirst) {
        std::vector<std::unique_ptr<Entity>> made;
        for (int n = 0; n < 30; ++n) {
            if ((n % 2 == 0) == tankFirst) {
                made.push_back(std::make_unique<Tank>(1, n, 2, 200, 4, 12));
            } else {
                made.push_back(std::make_unique<Soldier>(random(), 0, n, 3, SoldierKind::Sniper));
            }
        }
        return made;
    };
    std::vector<std::unique_ptr<Entity>> first = make(true);
    std::set<const void*> blocks;
    for (const auto& unit : first) blocks.insert(unit.get());
    const std::size_t sparesWhileAlive = UnitMemory::spareBlocks();
    first.clear();
    EXPECT_EQ(UnitMemory::spareBlocks(), sparesWhileAlive + (UnitMemory::reusesBlocks() ? 30 : 0));

    const std::vector<std::unique_ptr<Entity>> next = make(false);
    EXPECT_EQ(UnitMemory::spareBlocks(), sparesWhileAlive) << "the blocks given back are taken again";
    std::set<const void*> taken;
    int reused = 0;
    for (const auto& unit : next) {
        taken.insert(unit.get());
        reused += static_cast<int>(blocks.count(unit.get()));
        const bool tank = dynamic_cast<const Tank*>(unit.get()) != nullptr;
        EXPECT_EQ(unit->health, tank ? 250.0f : 50.0f);
        EXPECT_EQ(unit->range, tank ? 10.0f : 20.0f);
        EXPECT_FALSE(unit->target().isSet() || unit->queued || unit->onGrid);
    }
    EXPECT_EQ(taken.size(), 30u) << "a block was handed out twice";
    if (UnitMemory::reusesBlocks()) {
        EXPECT_EQ(reused, 30) << "the blocks given back are the first taken";
    }
}
