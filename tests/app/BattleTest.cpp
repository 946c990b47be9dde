#include <allegro.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/FrameRender.h"
#include "gfx/Canvas.h"
#include "app/Deployment.h"
#include "app/FrameLoop.h"
#include "effects/Particle.h"
#include "support/TestWorld.h"
#include "units/Entity.h"

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
    const Entity* target;
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
    for (const Renderer* object : field.objects) {
        ObjectState s{object, object->x, object->y, object->colour, 0, 0, 0, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        if (const auto* unit = dynamic_cast<const Entity*>(object)) {
            s.health = unit->health;
            s.countdown = unit->actionCountdown;
            s.mode = unit->mode;
            s.target = unit->target;
            s.goalX = unit->goal.x;
            s.goalY = unit->goal.y;
            s.destX = unit->destination.x;
            s.destY = unit->destination.y;
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

class BattleTest : public WorldTest {
protected:
    void TearDown() override
    {
        unitCounts = UnitCounts();
        reinforcementTimer = 0;
        WorldTest::TearDown();
    }
};

}  // namespace

// A seeded battle on generated hills between a full red army and a handful of blue units,
// played pass by pass as the frame loop plays it, until the blue Base falls.
TEST_F(BattleTest, OverwhelmingRedArmyEliminatesBlueAndTheBattleFreezes)
{
    srand(2024);
    field().generateTerrain();
    unitCounts = {200, 5, 50, 2, 50, 2};  // red riflemen, blue riflemen, red tanks, blue tanks, red snipers, ...
    deployArmies();
    // Close to running out, so that a wave joins the battle under way.
    reinforcementTimer = 250;

    int passes = 0;
    int waves = 0;
    while (field().gameOver == 0 && passes < kMaxPasses) {
        field().updatePass();
        const int before = reinforcementTimer;
        countDownReinforcements(field());
        if (reinforcementTimer > before) ++waves;
        ++passes;
    }
    ASSERT_EQ(field().gameOver, 1) << "no Base fell in " << passes << " passes";
    EXPECT_EQ(field().eliminatedTeam, 1);
    for (const Entity* unit : field().units) EXPECT_FALSE(unit->getType() == kTypeBase && unit->team == 1);
    EXPECT_EQ(waves, passes < 250 ? 0 : 1 + (passes - 250) / 3000);

    // Frames after the end: one due tick each, as the real loop runs them. A timer about to
    // run out shows that neither the countdown nor a wave happens any more.
    reinforcementTimer = 1;
    const std::vector<ObjectState> frozen = snapshot(field());
    const size_t units = field().units.size();
    std::atomic<int> due{0};
    for (int frame = 0; frame < 30; ++frame) {
        due = 1;
        runFrame(field(), due, [] {});
    }
    EXPECT_EQ(reinforcementTimer, 1);
    EXPECT_EQ(field().units.size(), units);
    EXPECT_TRUE(snapshot(field()) == frozen) << "an object changed after the game was over";

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
