#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Battle.h"
#include "game/DueTicks.h"
#include "game/StateDigest.h"
#include "lab/BattleOutcome.h"
#include "support/TestWorld.h"

namespace {

void expectSameOutcome(const BattleOutcome& a, const BattleOutcome& b)
{
    EXPECT_EQ(a.seed, b.seed);
    EXPECT_EQ(a.counts, b.counts);
    EXPECT_EQ(a.winner, b.winner);
    EXPECT_EQ(a.endFrame, b.endFrame);
    for (int team = 0; team < kSides; ++team) {
        for (int kind = 0; kind < kFightingKinds; ++kind) EXPECT_EQ(a.left.units[team][kind], b.left.units[team][kind]);
    }
}

BattleOutcome sample(int winner, int endFrame)
{
    BattleOutcome o;
    o.seed = 4294967295u;
    o.counts = {1, 2, 3, 4, 5, -6};
    o.winner = winner;
    o.endFrame = endFrame;
    int n = 0;
    for (auto& side : o.left.units) {
        for (int& units : side) units = n++ * 7;
    }
    return o;
}

}  // namespace

TEST(BattleOutcomeTest, TheLineReadsBackAsItWasWritten)
{
    const BattleOutcome red = sample(0, 5113);
    EXPECT_EQ(outcomeLine(red),
              "{\"seed\": 4294967295, \"blue_riflemen\": 2, \"blue_tanks\": 4, \"blue_snipers\": -6, "
              "\"red_riflemen\": 1, \"red_tanks\": 3, \"red_snipers\": 5, \"winner\": \"red\", \"end_frame\": 5113, "
              "\"seconds\": 85.217, \"left\": {\"red\": {\"riflemen\": 0, \"snipers\": 7, \"tanks\": 14}, "
              "\"blue\": {\"riflemen\": 21, \"snipers\": 28, \"tanks\": 35}}}");
    for (const BattleOutcome& o : {red, sample(1, 1), sample(kNoTeam, 0)}) {
        BattleOutcome back;
        std::string error;
        ASSERT_TRUE(parseOutcomeLine(outcomeLine(o), back, error)) << error;
        expectSameOutcome(back, o);
    }
    EXPECT_NE(outcomeLine(sample(kNoTeam, 0)).find("\"winner\": \"none\", \"end_frame\": null, \"seconds\": null"),
              std::string::npos);

    // The study the line belongs to, last, reads back as it was written.
    const StudyTag tag{6000, 7, 40, {Vary{1, 0, 100, 25}, Vary{5, 10, 30, 10}}, Shard{2, 3}};
    const std::string line = outcomeLine(red, &tag);
    EXPECT_NE(line.find("\"vary\": [\"blue-tanks=0:100:25\", \"red-snipers=10:30:10\"], \"shard\": \"2/3\"}}"), std::string::npos);
    BattleOutcome back;
    std::optional<StudyTag> read;
    std::string error;
    ASSERT_TRUE(parseOutcomeLine(line, back, read, error)) << error;
    EXPECT_TRUE(read == tag);
}

TEST(BattleOutcomeTest, LinesFromOtherToolsParseWhateverTheirKeyOrderAndSpacing)
{
    const std::string line =
        R"({"left":{"blue":{"tanks":1,"snipers":2,"riflemen":3},"red":{"riflemen":4,"snipers":5,"tanks":6}},)"
        R"("seconds":1.5,"end_frame":90,"winner":"blue","red_snipers":6,"red_tanks":5,"red_riflemen":4,)"
        R"("blue_snipers":3,"blue_tanks":2,"blue_riflemen":1,"seed":12,"note":"extra fields are ignored"})";
    BattleOutcome o;
    std::string error;
    ASSERT_TRUE(parseOutcomeLine(line, o, error)) << error;
    EXPECT_EQ(o.seed, 12u);
    EXPECT_EQ(o.winner, 1);
    EXPECT_EQ(o.endFrame, 90);
    EXPECT_EQ(o.counts.blueSoldiers, 1);
    EXPECT_EQ(o.counts.redSnipers, 6);
    EXPECT_EQ(o.left.units[1][kTanksKind], 1);
    EXPECT_EQ(o.left.units[0][kRiflemenKind], 4);
}

TEST(BattleOutcomeTest, BrokenLinesAreRefusedWithTheReason)
{
    const std::string good = outcomeLine(sample(0, 100));
    const std::string kStudy = ", \"study\": {\"max_frames\": 9, \"first_seed\": 1, \"battles\": 3, \"vary\": ";
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string line = good;
        line.replace(line.find(from), from.size(), to);
        return line;
    };
    struct Case {
        std::string line;
        std::string reason;
    };
    const Case cases[] = {
        {"", "not JSON"},
        {good.substr(0, good.size() - 1), "not JSON"},
        {"[1, 2]", "not a JSON object"},
        {replaced("\"seed\": 4294967295", "\"seed\": 4294967296"), "'seed' is out of range"},
        {replaced("\"seed\": 4294967295", "\"seed\": -1"), "'seed' is out of range"},
        {replaced("\"red_tanks\": 3", "\"red_tanks\": 3.5"), "'red_tanks' is not a whole number"},
        {replaced("\"blue_tanks\": 4, ", ""), "no 'blue_tanks'"},
        {replaced("\"red\", \"end", "\"green\", \"end"), "'winner' is not red, blue or none"},
        {replaced("\"end_frame\": 100", "\"end_frame\": null"), "'end_frame' is not a whole number"},
        {replaced("\"end_frame\": 100", "\"end_frame\": 0"), "'end_frame' is out of range"},
        {replaced("\"winner\": \"red\"", "\"winner\": \"none\""), "'end_frame' must be null when no base fell"},
        {replaced("\"tanks\": 14", "\"tanks\": -1"), "'tanks' is out of range"},
        {replaced("\"blue\": {", "\"bleu\": {"), "no 'left' of blue"},
        {good.substr(0, good.size() - 1) + kStudy + "[\"red-tanks=0:1:1\", \"red-tanks=0:2:1\"], \"shard\": \"1/1\"}}",
         "the study's 'vary' is not a list of at most two counts"},
        {"[[[[[[[[[[1]]]]]]]]]]", "nested more than 8 levels deep"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        BattleOutcome o;
        std::string error;
        EXPECT_FALSE(parseOutcomeLine(c.line, o, error));
        EXPECT_EQ(error, c.reason);
    }
}

// The battle of seed 1 with the default armies, as the benchmark records it: the blue base
// falls in frame 5113.
TEST(BattleOutcomeTest, TheDefaultBattleOfSeedOne)
{
    Battle battle(UnitCounts(), 1);
    const BattleOutcome o = playBattle(battle, 36000, nullptr);
    EXPECT_EQ(o.seed, 1u);
    EXPECT_EQ(o.winner, 0);
    EXPECT_EQ(o.endFrame, 5113);
    EXPECT_EQ(battle.field().eliminatedTeam, 1);
}

// The frame count is exact: a battle stopped at the limit is where a battle played frame by
// frame for as many frames is, and the samples are taken every second from the start.
TEST(BattleOutcomeTest, AFrameLimitStopsTheBattleThere)
{
    const UnitCounts counts{30, 30, 8, 8, 6, 6};
    std::vector<AliveSample> alive;
    Battle battle(counts, 5);
    const BattleOutcome o = playBattle(battle, 130, &alive);
    EXPECT_FALSE(o.finished());
    EXPECT_EQ(o.endFrame, 0);
    const auto digest = stateDigest(battle.field());
    const ArmyCount end = countArmies(battle.field());

    Battle reference(counts, 5);
    ASSERT_EQ(alive.size(), 3u);  // after frames 0, 60 and 120
    EXPECT_EQ(alive[0].units[0], 30 + 8 + 6);
    EXPECT_EQ(alive[0].units[1], 30 + 8 + 6);
    for (int frame = 1; frame <= 130; ++frame) {
        reference.frame();
        if (frame == 60) {
            EXPECT_EQ(alive[1].units[1], countArmies(reference.field()).side(1));
        }
        if (frame == 120) {
            EXPECT_EQ(alive[2].units[0], countArmies(reference.field()).side(0));
        }
    }
    EXPECT_EQ(stateDigest(reference.field()), digest);
    for (int team = 0; team < kSides; ++team) {
        for (int kind = 0; kind < kFightingKinds; ++kind) EXPECT_EQ(o.left.units[team][kind], end.units[team][kind]);
    }
}

// The lab and the program's results panel read the same figures off the battle.
TEST(BattleOutcomeTest, TheEndFrameIsTheBattlesOwnCountOfItsPasses)
{
    Battle battle({300, 0, 50, 0, 50, 0}, 11);  // the command line 0 0 0 300 50 50
    const BattleOutcome o = playBattle(battle, 36000, nullptr);
    EXPECT_EQ(o.winner, 0);
    EXPECT_EQ(o.endFrame, 589);
    EXPECT_EQ(o.endFrame, battle.endPass());
    const ArmyCount left = countArmies(battle.field());
    for (int team = 0; team < kSides; ++team) {
        for (int kind = 0; kind < kFightingKinds; ++kind) EXPECT_EQ(o.left.units[team][kind], left.units[team][kind]);
    }
    EXPECT_EQ(o.left.units[0][kRiflemenKind], 298);
}

// A count larger than the start zone holds places fewer units than asked: the line keeps the
// asked count and says what was placed, as the field had it before the first frame.
TEST(BattleOutcomeTest, TheLineSaysWhatWasAskedAndWhatWasPlaced)
{
    const UnitCounts crowded{5000, 40, 10, 10, 20, 20};  // red riflemen 5000
    Battle battle(crowded, 3);
    const ArmyCount onField = countArmies(battle.field());
    const BattleOutcome o = playBattle(battle, 1, nullptr);
    ASSERT_TRUE(o.placedKnown);
    for (int team = 0; team < kSides; ++team) {
        for (int kind = 0; kind < kFightingKinds; ++kind) EXPECT_EQ(o.placed.units[team][kind], onField.units[team][kind]);
    }
    EXPECT_GT(o.placed.units[0][kRiflemenKind], 0);
    EXPECT_LT(o.placed.units[0][kRiflemenKind], 5000) << "all 5000 placed";
    EXPECT_EQ(o.placed.units[1][kRiflemenKind], 40) << "a side with room places what it was asked";
    EXPECT_EQ(o.placed.units[1][kSnipersKind], 20);

    const std::string line = outcomeLine(o);
    EXPECT_NE(line.find("\"red_riflemen\": 5000, "), std::string::npos) << line;
    EXPECT_NE(line.find("\"placed\": {\"red\": {\"riflemen\": " + std::to_string(o.placed.units[0][kRiflemenKind])),
              std::string::npos)
        << line;
    BattleOutcome back;
    std::string error;
    ASSERT_TRUE(parseOutcomeLine(line, back, error)) << error;
    EXPECT_TRUE(back.placedKnown);
    EXPECT_EQ(outcomeLine(back), line);
}
