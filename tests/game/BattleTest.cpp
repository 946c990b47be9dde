#include <allegro.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/FrameLoop.h"
#include "effects/Particle.h"
#include "game/Battle.h"
#include "game/Countdown.h"
#include "game/Deployment.h"
#include "game/FrameRender.h"
#include "game/WatchedBattle.h"
#include "game/StateDigest.h"
#include "game/WorldInvariants.h"
#include "gfx/Canvas.h"
#include "gfx/PixelCanvas.h"
#include "support/DrawnWorldTest.h"
#include "units/Entity.h"
#include "world/Random.h"

namespace {

// Enough passes for the red army to cross the field, break through and level the blue Base,
// with room to spare; a battle still running after this many passes is stuck.
constexpr int kMaxPasses = 6000;

// What an update could change in an object, to tell whether any object still moves.
struct ObjectState {
    const Renderer* object;
    int x, y;
    Colour colour;
    float health;
    int countdown, mode;
    UnitId target;
    float goalX, goalY, destX, destY;
    int lifetime;
    float px, py, vx, vy;

    bool operator==(const ObjectState& o) const
    {
        return object == o.object && x == o.x && y == o.y && colour == o.colour && health == o.health &&
               countdown == o.countdown && mode == o.mode && target == o.target && goalX == o.goalX &&
               goalY == o.goalY && destX == o.destX && destY == o.destY && lifetime == o.lifetime && px == o.px &&
               py == o.py && vx == o.vx && vy == o.vy;
    }
};

std::vector<ObjectState> snapshot(const Battlefield& field)
{
    std::vector<ObjectState> states;
    for (const std::unique_ptr<Renderer>& owned : field.objects) {
        const Renderer* object = owned.get();
        ObjectState s{object, object->x, object->y, object->colour, 0, 0, 0, UnitId(), 0, 0, 0, 0, 0, 0, 0, 0, 0};
        if (const auto* unit = dynamic_cast<const Entity*>(object)) {
            s.health = unit->health;
            s.countdown = unit->actionCountdown;
            s.mode = static_cast<int>(unit->mode);
            s.target = unit->target();
            s.goalX = unit->goal.x;
            s.goalY = unit->goal.y;
            s.destX = unit->destination().x;
            s.destY = unit->destination().y;
        }
        if (const auto* effect = dynamic_cast<const Particle*>(object)) {
            s.lifetime = effect->lifetime;
            s.px = effect->position.x;
            s.py = effect->position.y;
            s.vx = effect->velocity.x;
            s.vy = effect->velocity.y;
        }
        states.push_back(s);
    }
    return states;
}

using BattleTest = DrawnWorldTest;

// Every unit's class, team and cell in list order, and the heights: what a start decides.
struct StartPicture {
    std::vector<int> heights;
    std::vector<int> units;  // team, x, y, type and health of each unit in turn
    bool operator==(const StartPicture& o) const { return heights == o.heights && units == o.units; }
};

StartPicture pictureOf(const Battlefield& field)
{
    StartPicture picture;
    for (int x = 0; x < kColumns; ++x) {
        for (int y = 0; y < kRows; ++y)
            picture.heights.push_back(field.heightAt(static_cast<float>(x), static_cast<float>(y)));
    }
    for (const Entity* unit : field.units()) {
        picture.units.insert(picture.units.end(), {unit->team, unit->x, unit->y, static_cast<int>(unit->getType()),
                                                   static_cast<int>(unit->health), unit->actionPeriod});
    }
    return picture;
}

}  // namespace

// A seeded battle on generated hills between a full red army and a handful of blue units,
// played pass by pass as the frame loop plays it, until the blue Base falls.
TEST_F(BattleTest, OverwhelmingRedArmyEliminatesBlueAndTheBattleFreezes)
{
    // red riflemen, blue riflemen, red tanks, blue tanks, red snipers, blue snipers
    Battle battle({200, 5, 50, 2, 50, 2}, 2024);
    Battlefield& field = battle.field();
    // Close to running out, so that a wave joins the battle under way.
    battle.setReinforcementTimer(250);

    int passes = 0;
    int waves = 0;
    while (!field.gameOver && passes < kMaxPasses) {
        const int before = battle.reinforcementTimer();
        battle.frame();
        if (battle.reinforcementTimer() > before) ++waves;
        ++passes;
    }
    ASSERT_EQ(field.gameOver, true) << "no Base fell in " << passes << " passes";
    EXPECT_EQ(field.eliminatedTeam, 1);
    for (const Entity* unit : field.units()) EXPECT_FALSE(unit->getType() == ObjectKind::Base && unit->team == 1);
    EXPECT_EQ(waves, passes < 250 ? 0 : 1 + (passes - 250) / 3000);

    // Frames after the end: one due tick each, as the real loop runs them. A timer about to
    // run out shows that neither the countdown nor a wave happens any more.
    battle.setReinforcementTimer(1);
    const std::vector<ObjectState> frozen = snapshot(field);
    const size_t units = field.units().size();
    DueTicks due{0};
    WatchedBattle watched(std::move(battle));  // the same objects, watched
    for (int frame = 0; frame < 30; ++frame) {
        due.store(1);
        runFrame(watched, canvas(), due, [] {});
    }
    const Battlefield& after = watched.battle().field();
    EXPECT_EQ(watched.battle().reinforcementTimer(), 1);
    EXPECT_EQ(after.units().size(), units);
    EXPECT_TRUE(snapshot(after) == frozen) << "an object changed after the game was over";

    // The message, centred on x 640 with its top at y 512, in red on an opaque black box.
    const std::string message = "Game Over, the Blue Team has been eliminated!";
    BITMAP* expected = create_bitmap_ex(kColourDepth, kScreenWidth, kScreenHeight);
    clear_to_color(expected, colourValue(0, 0, 0));
    textout_centre_ex(expected, font, message.c_str(), 640, 512, colourValue(255, 0, 0), colourValue(0, 0, 0));
    const int width = text_length(font, message.c_str());
    const int left = 640 - width / 2;
    int redPixels = 0;
    int mismatches = 0;
    for (int y = 512; y < 512 + text_height(font); ++y) {
        for (int x = left; x < left + width; ++x) {
            redPixels += getpixel(expected, x, y) == colourValue(255, 0, 0);
            mismatches += pixel(x, y) != getpixel(expected, x, y);
        }
    }
    destroy_bitmap(expected);
    EXPECT_GT(redPixels, 0);
    EXPECT_EQ(mismatches, 0);
}

// The program's start-up order, through the one place that starts a battle: the seed goes
// in before the terrain's draws, and the terrain's draws come before any unit's. The same
// seed gives the same battle, and a restart in place gives exactly a fresh start.
TEST_F(BattleTest, StartsFromTheSeedTerrainFirstThenTheArmies)
{
    const UnitCounts counts{30, 30, 8, 8, 6, 6};
    StartPicture expected;
    {
        // The order spelled out by hand on a world of its own.
        Random random(99);
        Battlefield reference;
        reference.generateTerrain(random);
        deployArmies(reference, random, counts);
        expected = pictureOf(reference);
    }
    Battle battle(counts, 99);
    EXPECT_EQ(battle.reinforcementTimer(), kReinforcementFrames);
    EXPECT_EQ(battle.seed(), 99u);
    EXPECT_TRUE(pictureOf(battle.field()) == expected);
    EXPECT_EQ(battle.field().units().size(), 2u + 30 + 30 + 8 + 8 + 6 + 6);
}

TEST_F(BattleTest, ARestartPlaysExactlyTheBattleOfAFreshStart)
{
    const UnitCounts counts{40, 40, 10, 10, 10, 10};
    std::uint64_t fresh = 0;
    StartPicture freshStart;
    {
        Battle battle(counts, 8);
        freshStart = pictureOf(battle.field());
        for (int n = 0; n < 400; ++n) battle.frame();
        fresh = stateDigest(battle.field());
    }
    // The battle it replaces had other counts: the restart brings its own.
    Battle battle(UnitCounts::bothSides(30, 8, 8), 7);
    for (int n = 0; n < 150; ++n) battle.frame();
    const StartPicture seven = pictureOf(battle.field());
    battle.restart(counts, 8);
    EXPECT_EQ(battle.seed(), 8u);
    EXPECT_EQ(battle.counts(), counts);
    EXPECT_EQ(battle.reinforcementTimer(), kReinforcementFrames);
    EXPECT_TRUE(pictureOf(battle.field()) == freshStart);
    EXPECT_FALSE(pictureOf(battle.field()) == seven) << "seeds 7 and 8 should not give the same start";
    for (int n = 0; n < 400; ++n) battle.frame();
    EXPECT_EQ(stateDigest(battle.field()), fresh);
}

// The length of a battle is counted in one place: the battle's own passes, whoever runs them.
TEST_F(BattleTest, CountsItsPassesAndRemembersTheOneInWhichABaseFell)
{
    // No blue army: the red one marches straight on the blue base (the command line 0 0 0 300 50 50).
    const UnitCounts redOnly{300, 0, 50, 0, 50, 0};
    Battle battle(redOnly, 11);
    EXPECT_EQ(battle.passes(), 0);
    while (!battle.over() && battle.passes() < kMaxPasses) {
        EXPECT_EQ(battle.endPass(), 0);
        battle.frame();
    }
    ASSERT_TRUE(battle.over());
    EXPECT_EQ(battle.endPass(), 589);
    EXPECT_EQ(battle.passes(), 589);

    // Passes after the end still count, but the battle's length stays.
    for (int n = 0; n < 5; ++n) battle.pass();
    battle.countDown();
    EXPECT_EQ(battle.passes(), 594);
    EXPECT_EQ(battle.endPass(), 589);

    battle.restart(12);
    EXPECT_FALSE(battle.over());
    EXPECT_EQ(battle.passes(), 0);
    EXPECT_EQ(battle.endPass(), 0);
}

namespace {

// The digest after every frame of a battle played from where it stands to its end.
std::vector<std::uint64_t> digestsToTheEnd(Battle& battle)
{
    std::vector<std::uint64_t> digests;
    while (!battle.over() && battle.passes() < kMaxPasses) {
        battle.frame();
        digests.push_back(stateDigest(battle.field()));
    }
    return digests;
}

// The whole frame as the program draws it, pixel for pixel.
std::vector<std::uint16_t> shownFrame(const Battle& battle)
{
    PixelCanvas canvas;
    drawBattleFrame(battle, canvas.canvas());
    const std::uint16_t* pixels = canvas.pixels().pixels();
    return {pixels, pixels + kScreenWidth * kScreenHeight};
}

}  // namespace

// A copy taken at any frame, and a battle nobody watches (it makes no particles but draws their
// numbers and counts them), are the battle of the seed frame for frame. The copy looks the same
// on screen, plays in turn with its original without either reaching into the other, and plays
// on when the original is gone.
TEST(BattleCopyTest, CopiesAndBattlesNobodyWatchesAreTheBattleOfTheirSeed)
{
    for (const unsigned seed : {3u, 10u}) {  // bases fall in frames 2807 and 5563
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        Battle reference(UnitCounts(), seed);
        const std::vector<std::uint64_t> expected = digestsToTheEnd(reference);
        Battle unwatched(UnitCounts(), seed);
        unwatched.setWatched(false);
        auto original = std::make_unique<Battle>(UnitCounts(), seed);
        Battle copy(UnitCounts::bothSides(1, 1, 1), seed + 1);  // replaced, under way, by a copy
        std::vector<Battle*> played = {original.get(), &unwatched};
        size_t fewerObjects = 0;
        while (!unwatched.over()) {
            if (unwatched.passes() == 700) {
                copy = *original;
                EXPECT_TRUE(shownFrame(copy) == shownFrame(*original));
                played.push_back(&copy);
            } else if (unwatched.passes() == 2100) {
                played.erase(played.begin());
                original.reset();
            }
            for (Battle* battle : played) {
                battle->frame();
                ASSERT_EQ(stateDigest(battle->field()), expected.at(battle->passes() - 1))
                    << "frame " << battle->passes();
            }
            if (original != nullptr)
                fewerObjects += original->field().objects.size() - unwatched.field().objects.size();
            if (copy.passes() % 100 == 0) {
                ASSERT_EQ(findInvariantViolation(copy.field()), "");
            }
        }
        EXPECT_TRUE(copy.over());
        EXPECT_GT(fewerObjects, 0u) << "no particle was left out";
    }
}

namespace {

// Sits in a battle's object list. In the first pass in which, when its turn comes, a unit and an
// effect are queued for removal, it queues itself and copies the whole battle there and then, if
// it was given a battle and a place for the copy. A copy of it copies nothing.
class MidPassCopier : public Renderer {
public:
    MidPassCopier(const Battle* battle, std::unique_ptr<Battle>* copy) : battle_(battle), copy_(copy) {}
    void draw(Surface&) const override {}
    void update(Battlefield& field, Random&) override
    {
        bool unit = false;
        bool effect = false;
        for (const std::size_t place : field.graveyard) (field.objects[place]->onGrid ? unit : effect) = true;
        if (!unit || !effect) return;
        field.queueRemoval(this);
        if (battle_ != nullptr) *copy_ = std::make_unique<Battle>(*battle_);
    }
    ObjectKind getType() const override { return ObjectKind::Effect; }
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<MidPassCopier>(nullptr, nullptr); }

private:
    const Battle* battle_;
    std::unique_ptr<Battle>* copy_;
};

}  // namespace

// A copy taken in the middle of a pass, with units and effects waiting in the graveyard, finishes
// that pass and plays on to the end as its original would have, frame for frame, with the
// original gone: its units name one another, and the queued ones still answer, in the copy.
TEST(BattleCopyTest, ACopyTakenInTheMiddleOfAPassPlaysOnAsItsOriginalWould)
{
    auto original = std::make_unique<Battle>(UnitCounts(), 3u);
    Battle twin(UnitCounts(), 3u);  // the original as it would have gone on
    for (int n = 0; n < 700; ++n) {
        original->frame();
        twin.frame();
    }
    std::unique_ptr<Battle> copy;
    for (Battle* battle : {original.get(), &twin}) {
        std::vector<std::unique_ptr<Renderer>>& objects = battle->field().objects;
        const bool copies = battle == original.get();
        objects.insert(objects.begin() + static_cast<long>(objects.size() / 2),
                       std::make_unique<MidPassCopier>(copies ? battle : nullptr, copies ? &copy : nullptr));
    }
    while (copy == nullptr && !twin.over()) {
        original->frame();
        twin.frame();
    }
    ASSERT_NE(copy, nullptr);
    original.reset();

    const Battlefield& field = copy->field();
    ASSERT_GE(field.graveyard.size(), 3u) << "the copier, a unit and an effect";
    for (const std::size_t place : field.graveyard) {
        const auto* unit = dynamic_cast<const Entity*>(field.objects[place].get());
        if (unit == nullptr) continue;
        EXPECT_EQ(field.unit(unit->id()), unit) << "a queued unit is there until the sweep";
    }
    EXPECT_EQ(findIndexViolation(field), "");

    copy->frame();  // the rest of the pass, then the frame's countdown
    while (true) {
        ASSERT_EQ(copy->passes(), twin.passes());
        ASSERT_EQ(stateDigest(copy->field()), stateDigest(twin.field())) << "frame " << twin.passes();
        if (twin.over()) break;
        twin.frame();
        copy->frame();
    }
    EXPECT_TRUE(copy->over());
    EXPECT_EQ(findInvariantViolation(copy->field()), "");
}
