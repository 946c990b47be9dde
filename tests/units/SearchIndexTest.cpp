// The searches answer from the battlefield's cell masks; the long walks they replace are kept
// beside them. Both must give the same answer for every unit at every moment: between passes
// and in the middle of one, where units have been queued for removal but still stand.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "effects/Projectile.h"
#include "game/Battle.h"
#include "game/WorldInvariants.h"
#include "support/TestWorld.h"
#include "units/Entity.h"
#include "units/Soldier.h"
#include "units/TargetSearch.h"
#include "world/Battlefield.h"

namespace {

// An invisible object that, when the pass reaches it, compares the indexes with the world and
// the fast searches with the walks, then leaves.
class IndexProbe : public Renderer {
public:
    explicit IndexProbe(std::string* problem) : problem_(problem) {}
    void draw(Surface&) const override {}
    void update(Battlefield& field, Random&) override
    {
        if (problem_->empty()) *problem_ = findIndexViolation(field);
        if (problem_->empty()) *problem_ = findSearchDisagreement(field);
        ++*reached;
        field.queueRemoval(this);
    }
    ObjectKind getType() const override { return ObjectKind::Effect; }
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<IndexProbe>(*this); }

    int* reached = nullptr;

private:
    std::string* problem_;
};

using SearchIndexTest = WorldTest;

}  // namespace

TEST(SearchIndex, FastSearchesAgreeWithTheLongWalksBetweenAndDuringPasses)
{
    Battle battle(UnitCounts::bothSides(700, 200, 200), 5);
    Battlefield& field = battle.field();

    int enemiesFound = 0;
    int fightsFound = 0;
    int probesReached = 0;
    for (int pass = 1; pass <= 1500 && !field.gameOver; ++pass) {
        std::string midPass;
        if (pass % 100 == 50) {
            // Probes a quarter, half and three quarters of the way through the pass.
            for (int quarter = 3; quarter >= 1; --quarter) {
                auto probe = std::make_unique<IndexProbe>(&midPass);
                probe->reached = &probesReached;
                field.objects.insert(field.objects.begin() + field.objects.size() * quarter / 4, std::move(probe));
            }
        }
        battle.frame();
        ASSERT_EQ(midPass, "") << "during pass " << pass;
        ASSERT_EQ(findInvariantViolation(field), "") << "after pass " << pass;
        if (pass % 50 != 0) continue;
        ASSERT_EQ(findSearchDisagreement(field), "") << "after pass " << pass;
        for (const Entity* unit : field.units()) {
            enemiesFound += findNearestEnemy(field, *unit, 20) != nullptr;
            fightsFound += findAllyFight(field, *unit).isSet();
        }
    }
    // The battle must actually have had enemies in sight and fights to join, and the probes
    // must have run.
    EXPECT_GT(enemiesFound, 200);
    EXPECT_GT(fightsFound, 100);
    EXPECT_EQ(probesReached, 3 * 15);
}

// A unit that has died and queued itself is hit later in the same pass and starts answering
// fire. It still stands in the unit list until the sweep, so an ally that decides after that
// hit must see its fight and go there, as a walk of the list does.
TEST_F(SearchIndexTest, AFallenUnitHitLaterInThePassStillCallsItsAllies)
{
    Soldier* fallen = placeSoldier(0, 20, 30);
    fallen->health = 0.0f;
    Soldier* shooter = placeSoldier(1, 20, 50);
    shooter->actionCountdown = 1000;  // fires nothing of its own in this pass
    // A shot just below the fallen unit's cell, flying up: its first move enters that cell.
    const float x = static_cast<float>(cellCentre(20));
    field().addObject(
        std::make_unique<Projectile>(random(), shooter, 10.0f, 2, 255, 255, 0, 5, x, cellCentre(30) + 5.0f, x, 100.0f));
    Soldier* ally = placeSoldier(0, 20, 20);  // after the shot in the list, so it decides after the hit
    ally->goal = {40.0f, 61.0f};
    ally->actionCountdown = 1;

    std::string midPass;
    auto probe = std::make_unique<IndexProbe>(&midPass);
    int reached = 0;
    probe->reached = &reached;
    field().objects.insert(field().objects.end() - 1, std::move(probe));  // after the hit, before the ally's decision
    updatePass();

    EXPECT_EQ(reached, 1);
    EXPECT_EQ(midPass, "");
    EXPECT_EQ(ally->mode, Mode::Travel);
    EXPECT_EQ(ally->travelReason(), TravelReason::JoinFight);
    EXPECT_EQ(ally->destination().x, 20.0f);
    EXPECT_EQ(ally->destination().y, 50.0f);
    EXPECT_EQ(field().occupantAt(20, 30), nullptr) << "the fallen unit is gone after the pass";
}

// Scattered armies of every density, with units in every fight state: for every unit, every
// number of rings up to more than the widest search and the ally fight, the fast searches must
// give what the long walks give. Units stand on the edges and on both sides of column 64, where
// the masks change words. Units that do not stand on their cells (never placed, off the grid,
// or on a cell another unit holds) are answered the long way, with the same results.
TEST_F(SearchIndexTest, FastSearchesAgreeWithTheLongWalksOnScatteredArmies)
{
    std::mt19937 draw(77);
    std::uniform_int_distribution<int> column(0, kColumns - 1);
    std::uniform_int_distribution<int> row(0, kRows - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    int compared = 0;
    int enemiesFound = 0;
    int fightsFound = 0;
    auto expectTheSameAnswers = [&](const Entity& unit) {
        for (int rings = 1; rings <= 30; ++rings) {
            const Entity* fast = findNearestEnemy(field(), unit, rings);
            ASSERT_EQ(fast, findNearestEnemyByScan(field(), unit, rings))
                << "unit at (" << unit.x << ", " << unit.y << "), " << rings << " rings";
            enemiesFound += fast != nullptr;
            ++compared;
        }
        const Vec2 fast = findAllyFight(field(), unit);
        const Vec2 walked = findAllyFightByWalk(field(), unit);
        ASSERT_TRUE(fast.x == walked.x && fast.y == walked.y)
            << "ally fight of the unit at (" << unit.x << ", " << unit.y << ")";
        fightsFound += fast.isSet();
    };
    for (const int units : {2, 12, 60, 400, 2500}) {
        SCOPED_TRACE(::testing::Message() << units << " units");
        for (const auto& object : field().objects) field().queueRemoval(object.get());  // a fresh field
        updatePass();
        std::vector<Entity*> placed;
        for (int n = 0; n < units; ++n) {
            const int x = column(draw);
            const int y = row(draw);
            if (field().occupantAt(static_cast<float>(x), static_cast<float>(y)) != nullptr) continue;
            Entity* unit =
                field().registerUnit(std::make_unique<Soldier>(random(), n % 2, x, y, SoldierKind::Rifleman));
            unit->actionCountdown = 1000000;  // stands still if a pass runs
            placed.push_back(unit);
        }
        for (Entity* unit : placed) {
            const int state = percent(draw);
            if (state < 15) {
                unit->setTarget(field(), placed[draw() % placed.size()]);
            } else if (state < 30) {
                unit->giveTravelOrder(field(), {static_cast<float>(column(draw)), static_cast<float>(row(draw))},
                                      TravelReason::AnswerFire, 1 + state % 3);
                if (state % 2 == 0) unit->takeTravelStep(field());  // some have used up their steps
            } else if (state < 40) {
                unit->giveTravelOrder(field(), {static_cast<float>(column(draw)), 3.0f}, TravelReason::JoinFight, 5);
            }
        }
        for (const Entity* unit : field().units()) expectTheSameAnswers(*unit);
        const int strangerCells[][2] = {{placed[0]->x, placed[0]->y}, {80, 10}, {-1, 5}, {79, 64}, {-20, 90}};
        for (const auto& cell : strangerCells) {
            for (const int team : {0, 1})
                expectTheSameAnswers(Soldier(random(), team, cell[0], cell[1], SoldierKind::Rifleman));
        }
    }
    // Both searches must have had something to find, and often.
    EXPECT_GT(compared, 60000);
    EXPECT_GT(enemiesFound, compared / 2);
    EXPECT_GT(fightsFound, 1000);
}

// A unit of a team other than red and blue is an enemy of everyone and nobody's ally. While one
// stands the searches take the long ways; once the last has fallen the masks answer again, and
// must be as right as if it had never been there.
TEST(SearchIndex, UnitsOfAThirdTeamFightBothArmiesAndTheSearchesStillAgree)
{
    Battle battle(UnitCounts::bothSides(300, 60, 60), 9);
    Battlefield& field = battle.field();
    for (int n = 0; n < 400; ++n) battle.frame();
    Random draws(5);
    int placed = 0;
    for (int x = 30; x < 50 && placed < 12; x += 2) {
        for (int y = 24; y < 40 && placed < 12; y += 5) {
            if (!field.isFreeCell(static_cast<float>(x), static_cast<float>(y))) continue;
            Entity* stranger =
                field.registerUnit(std::make_unique<Soldier>(draws, 2 + placed % 2 * 5, x, y, SoldierKind::Rifleman));
            stranger->goal = {40.0f, 32.0f};
            ++placed;
        }
    }
    ASSERT_EQ(placed, 12);
    int strangersTargeted = 0;
    int passesWithoutThem = 0;
    while (passesWithoutThem < 200 && !battle.over() && battle.passes() < 6000) {
        battle.frame();
        int strangers = 0;
        for (const Entity* unit : field.units()) {
            strangers += unit->team > 1;
            const Entity* target = field.unit(unit->target());
            strangersTargeted += unit->team <= 1 && target != nullptr && target->team > 1;
        }
        passesWithoutThem += strangers == 0;
        if (battle.passes() % 20 == 0) {
            ASSERT_EQ(findSearchDisagreement(field) + findInvariantViolation(field), "") << "pass " << battle.passes();
        }
    }
    EXPECT_GT(passesWithoutThem, 0) << "the third team should have fallen";
    EXPECT_GT(strangersTargeted, 0);
}
