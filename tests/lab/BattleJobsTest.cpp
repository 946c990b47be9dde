#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "game/Battle.h"
#include "lab/BattleJobs.h"
#include "units/Soldier.h"
#include "units/Tank.h"
#include "world/Battlefield.h"

namespace {

// One army, seeds 40 onwards.
BattlePlan smallPlan(int jobs, int battles = 7)
{
    std::string error;
    BattlePlan plan{Study({60, 60, 10, 10, 5, 5}, {}, 40, battles, Shard{}, error)};
    EXPECT_EQ(error, "");
    plan.jobs = jobs;
    plan.maxFrames = 6000;  // three of these battles end, four do not
    return plan;
}

// The jobs' threads in this process, by their name.
int threads()
{
    int count = 0;
    std::string name;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
        count += std::getline(std::ifstream(task.path() / "comm"), name) && name == BattleJobs::kJobName;
    return count;
}

// Every battle's line by index; fails the test on a battle reported twice, another end or a job left.
std::map<int, FinishedBattle> play(const BattlePlan& plan, BattleJobs::Result expected = BattleJobs::Result::kDone,
                                   const BattleJobs::StopCheck& stop = nullptr, const BattleJobs::Play& how = nullptr,
                                   const std::string& failure = "")
{
    std::map<int, FinishedBattle> battles;
    BattleJobs jobs(plan, stop, how);
    const BattleJobs::Result result = jobs.run(
        [&](FinishedBattle&& battle) {
            EXPECT_EQ(battles.count(battle.index), 0u) << "battle " << battle.index << " reported twice";
            battles[battle.index] = std::move(battle);
        },
        [] {});
    EXPECT_EQ(result, expected);
    EXPECT_EQ(jobs.failure(), failure);
    EXPECT_EQ(threads(), 0) << "no job left";
    return battles;
}

// The living riflemen, snipers and tanks of each side as a JSON object, counted here with the
// world's own fields.
std::string armyText(const Battlefield& field)
{
    int units[2][3] = {};  // riflemen, snipers, tanks
    for (const Entity* unit : field.units()) {
        if (unit->health <= 0) continue;
        if (const auto* soldier = dynamic_cast<const Soldier*>(unit))
            ++units[unit->team][soldier->soldierKind == SoldierKind::Sniper];
        if (dynamic_cast<const Tank*>(unit) != nullptr) ++units[unit->team][2];
    }
    const auto n = [](int value) { return std::to_string(value); };
    return "{\"red\": {\"riflemen\": " + n(units[0][0]) + ", \"snipers\": " + n(units[0][1]) +
           ", \"tanks\": " + n(units[0][2]) + "}, \"blue\": {\"riflemen\": " + n(units[1][0]) +
           ", \"snipers\": " + n(units[1][1]) + ", \"tanks\": " + n(units[1][2]) + "}}";
}

// The line a battle of this seed must give, worked out here from the battle itself, frame by
// frame with the world's own fields.
std::string referenceLine(const UnitCounts& counts, unsigned seed, int maxFrames)
{
    Battle battle(counts, seed);
    Battlefield& field = battle.field();
    const std::string placed = armyText(field);
    int frames = 0;
    while (frames < maxFrames && field.gameOver == 0) {
        battle.frame();
        ++frames;
    }
    const auto n = [](int value) { return std::to_string(value); };
    std::string line = "{\"seed\": " + std::to_string(seed) + ", \"blue_riflemen\": " + n(counts.blueSoldiers) +
                       ", \"blue_tanks\": " + n(counts.blueTanks) + ", \"blue_snipers\": " + n(counts.blueSnipers) +
                       ", \"red_riflemen\": " + n(counts.redSoldiers) + ", \"red_tanks\": " + n(counts.redTanks) +
                       ", \"red_snipers\": " + n(counts.redSnipers) + ", \"placed\": " + placed;
    if (field.gameOver != 0) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", frames / 60.0);
        line += std::string(", \"winner\": \"") + (field.eliminatedTeam == 1 ? "red" : "blue") +
                "\", \"end_frame\": " + n(frames) + ", \"seconds\": " + seconds;
    } else {
        line += ", \"winner\": \"none\", \"end_frame\": null, \"seconds\": null";
    }
    return line + ", \"left\": " + armyText(field) + "}";
}

const auto lineOf = [](const FinishedBattle& battle) { return outcomeLine(battle.outcome); };

}  // namespace

TEST(BattleJobsTest, EachLineIsTheHeadlessBattleOfItsSeed)
{
    const BattlePlan plan = smallPlan(2);
    const std::map<int, FinishedBattle> battles = play(plan);
    ASSERT_EQ(battles.size(), 7u);
    int finished = 0;
    for (const auto& [index, battle] : battles) {
        SCOPED_TRACE("battle " + std::to_string(index));
        EXPECT_EQ(lineOf(battle), referenceLine(plan.study.counts(index), plan.study.seed(index), plan.maxFrames));
        finished += lineOf(battle).find("\"winner\": \"none\"") == std::string::npos;
        EXPECT_TRUE(battle.alive.empty()) << "samples were not asked for";
    }
    // Both kinds of end are covered.
    EXPECT_GT(finished, 0);
    EXPECT_LT(finished, 7);
}

TEST(BattleJobsTest, TheLinesDoNotDependOnTheNumberOfJobs)
{
    const std::map<int, FinishedBattle> one = play(smallPlan(1));
    const std::map<int, FinishedBattle> three = play(smallPlan(3));
    ASSERT_EQ(one.size(), 7u);
    ASSERT_EQ(three.size(), 7u);
    for (int index = 0; index < 7; ++index) EXPECT_EQ(lineOf(one.at(index)), lineOf(three.at(index)));
    // More jobs than battles: one job per battle.
    const std::map<int, FinishedBattle> two = play(smallPlan(5, 2));
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(lineOf(two.at(1)), lineOf(one.at(1)));
}

TEST(BattleJobsTest, AliveSamplesComeWithTheirBattle)
{
    BattlePlan plan = smallPlan(2, 3);
    plan.sampleAlive = true;
    plan.maxFrames = 300;  // none of these ends so soon: samples after 0, 60, ... 300 frames
    for (const auto& [index, battle] : play(plan)) {
        ASSERT_EQ(battle.alive.size(), 6u) << "battle " << index;
        EXPECT_EQ(battle.alive[0].units[0], 60 + 10 + 5);
        EXPECT_EQ(battle.alive[0].units[1], 60 + 10 + 5);
        EXPECT_LE(battle.alive[5].units[0], battle.alive[0].units[0]);
    }
}

// Stopped after the first report: the run ends early, says it was interrupted, reports only
// whole battles and leaves no job behind.
TEST(BattleJobsTest, AStopEndsTheJobsAndKeepsWhatFinished)
{
    BattlePlan plan = smallPlan(2, 200);
    plan.maxFrames = 36000;
    bool stopSoon = false;
    std::vector<FinishedBattle> reported;
    BattleJobs jobs(plan, [&] { return stopSoon; });
    const BattleJobs::Result result = jobs.run(
        [&](FinishedBattle&& battle) {
            reported.push_back(std::move(battle));
            stopSoon = true;
        },
        [] {});
    EXPECT_EQ(result, BattleJobs::Result::kInterrupted);
    ASSERT_GE(reported.size(), 1u);
    EXPECT_LT(reported.size(), 10u);
    for (const FinishedBattle& battle : reported) {
        EXPECT_EQ(lineOf(battle),
                  referenceLine(plan.study.counts(battle.index), plan.study.seed(battle.index), plan.maxFrames));
    }
    EXPECT_EQ(threads(), 0);
}

// A stop asked for while battles that would never end (no army) are under way leaves them
// between two frames; a battle that throws ends the run, named by its seed, and is not reported.
TEST(BattleJobsTest, AStopOrAFailureEndsTheRunAtOnce)
{
    const auto failAt43 = [](Battle& battle, int maxFrames, std::vector<AliveSample>* alive,
                             const std::atomic<bool>& stop) {
        if (battle.seed() == 43) throw std::runtime_error("out of cells");
        const BattleOutcome outcome = playBattle(battle, maxFrames, alive, &stop);
        EXPECT_TRUE(maxFrames < INT_MAX || battle.passes() < maxFrames) << "a battle left at once";
        return outcome;
    };
    std::string error;
    BattlePlan endless{Study(UnitCounts::bothSides(0, 0, 0), {}, 1, 10, Shard{}, error)};
    endless.jobs = 2;
    endless.maxFrames = INT_MAX;
    int looks = 0;
    const auto stop = [&looks] { return ++looks > 3; };
    EXPECT_TRUE(play(endless, BattleJobs::Result::kInterrupted, stop, failAt43).empty());
    const std::string failure = "the battle of seed 43 failed: out of cells";  // of seeds 40 to 45
    EXPECT_EQ(play(smallPlan(2, 6), BattleJobs::Result::kFailed, nullptr, failAt43, failure).count(3), 0u);

    // A job out of memory gives its battle back, or the last one plays it again: none is lost.
    // Out of memory again and again, the battle fails the run, named by its seed.
    int shortOfMemory = 0;
    const auto starved = [&shortOfMemory](Battle& battle, int maxFrames, std::vector<AliveSample>* alive,
                                          const std::atomic<bool>& stop) {
        if (battle.seed() == 43 && shortOfMemory-- > 0) throw std::bad_alloc();
        return playBattle(battle, maxFrames, alive, &stop);
    };
    for (int jobs : {1, 2}) {
        shortOfMemory = 1;
        EXPECT_EQ(play(smallPlan(jobs, 6), BattleJobs::Result::kDone, nullptr, starved).size(), 6u) << jobs << " jobs";
    }
    shortOfMemory = INT_MAX;
    play(smallPlan(2, 6), BattleJobs::Result::kFailed, nullptr, starved, "the battle of seed 43 failed: out of memory");
}

// The battles handed back before a stop and not yet reported are reported after it: here the
// first two, finished while the run looks at the stop request, which says yes once the jobs
// wait in the next two.
TEST(BattleJobsTest, BattlesFinishedBeforeAStopAreReported)
{
    std::atomic<bool> looking{false};
    std::atomic<int> waiting{0};
    const auto until = [](const auto& condition) {
        for (int ms = 0; ms < 60000 && !condition(); ++ms) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    const auto held = [&](Battle& battle, int maxFrames, std::vector<AliveSample>* alive, const std::atomic<bool>& stop) {
        waiting += battle.seed() >= 42;
        until([&] { return battle.seed() < 42 ? looking.load() : stop.load(); });
        return playBattle(battle, maxFrames, alive, &stop);
    };
    const BattlePlan plan = smallPlan(2, 4);
    const auto stop = [&] { looking = true; until([&] { return waiting == 2; }); return true; };
    const std::map<int, FinishedBattle> battles = play(plan, BattleJobs::Result::kInterrupted, stop, held);
    ASSERT_EQ(battles.size(), 2u);
    for (int i : {0, 1}) EXPECT_EQ(lineOf(battles.at(i)), referenceLine(plan.study.counts(i), plan.study.seed(i), plan.maxFrames));
}

// Battles finish out of order and their lines wait for the earlier ones; no battle starts
// maxAhead or more past the earliest one not yet reported, and the lines are the same.
TEST(BattleJobsTest, NoBattleRunsFarAheadOfTheEarliestUnfinishedOne)
{
    BattlePlan plan = smallPlan(3, 12);
    plan.maxAhead = 2;
    std::vector<bool> reported(12, false);
    std::map<int, FinishedBattle> battles;
    BattleJobs jobs(plan, nullptr);
    const BattleJobs::Result result = jobs.run(
        [&](FinishedBattle&& battle) {
            const int earliest =
                static_cast<int>(std::find(reported.begin(), reported.end(), false) - reported.begin());
            EXPECT_LT(battle.index - earliest, plan.maxAhead) << "battle " << battle.index;
            reported[battle.index] = true;
            battles[battle.index] = std::move(battle);
        },
        [] {});
    ASSERT_EQ(result, BattleJobs::Result::kDone) << jobs.failure();
    BattlePlan unlimited = plan;
    unlimited.maxAhead = 4096;
    const std::map<int, FinishedBattle> free = play(unlimited);
    ASSERT_EQ(battles.size(), 12u);
    for (int index = 0; index < 12; ++index) EXPECT_EQ(lineOf(battles.at(index)), lineOf(free.at(index)));
}
