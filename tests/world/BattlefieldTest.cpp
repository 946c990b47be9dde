#include <memory>

#include "support/TestWorld.h"
#include "units/Soldier.h"
#include "world/Battlefield.h"

using BattlefieldTest = WorldTest;

TEST_F(BattlefieldTest, QueriesOutsideTheGridGiveNothing)
{
    Soldier* corner = placeSoldier(0, 79, 63);
    EXPECT_EQ(field().occupantAt(79.9f, 63.9f), corner);
    EXPECT_EQ(field().occupantAt(80.0f, 0.0f), nullptr);
    EXPECT_EQ(field().occupantAt(-0.5f, 0.0f), nullptr);
    EXPECT_EQ(field().heightAt(-1.0f, 10.0f), -1);
    EXPECT_EQ(field().heightAt(10.0f, 64.0f), -1);
    EXPECT_FALSE(field().isFreeCell(79.0f, 63.0f));
    EXPECT_FALSE(field().isFreeCell(-0.5f, 3.0f));
    EXPECT_TRUE(field().isFreeCell(0.0f, 0.0f));
}

TEST_F(BattlefieldTest, CellQueriesTestBoundsBeforeTruncating)
{
    // Distinct heights at the corners, one unit on each but the cell (1, 1).
    struct {
        int x, y, h;
    } const marked[] = {{0, 0, 3}, {79, 0, 5}, {0, 63, 7}, {79, 63, 11}, {1, 1, 13}};
    Entity* onCell[5] = {};
    for (int n = 0; n < 5; ++n) {
        field().setHeight(marked[n].x, marked[n].y, marked[n].h);
        if (n < 4) onCell[n] = placeSoldier(n % 2, marked[n].x, marked[n].y);
    }

    struct {
        float x, y;
        int cell;  // index into marked, or -1 outside the grid
    } const cases[] = {
        {0.0f, 0.0f, 0},    {0.99f, 0.5f, 0},   {79.9f, 63.9f, 3},  {79.5f, 0.2f, 1},    {0.0f, 63.999f, 2},
        {1.5f, 1.5f, 4},    {-0.5f, 0.0f, -1},  {0.0f, -0.5f, -1},  {80.0f, 0.0f, -1},   {0.0f, 64.0f, -1},
        {-1.0f, 10.0f, -1}, {10.0f, 64.0f, -1}, {80.5f, 63.0f, -1}, {-0.01f, 63.5f, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "(" << c.x << ", " << c.y << ")");
        if (c.cell < 0) {
            EXPECT_EQ(field().occupantAt(c.x, c.y), nullptr);
            EXPECT_EQ(field().heightAt(c.x, c.y), -1);
            EXPECT_FALSE(field().isFreeCell(c.x, c.y));
        } else {
            EXPECT_EQ(field().occupantAt(c.x, c.y), onCell[c.cell]);
            EXPECT_EQ(field().heightAt(c.x, c.y), marked[c.cell].h);
            EXPECT_EQ(field().isFreeCell(c.x, c.y), onCell[c.cell] == nullptr);
        }
    }
}

TEST(NeighbourOffsetTest, ClockwiseFromUpLeftThenTheCellItself)
{
    struct {
        int index;
        float dx, dy;
    } const cases[] = {{0, -1, -1}, {1, 0, -1}, {2, 1, -1}, {3, 1, 0},  {4, 1, 1},   {5, 0, 1},   {6, -1, 1},
                       {7, -1, 0},  {8, 0, 0},  {9, 0, 0},  {-1, 0, 0}, {100, 0, 0}, {-100, 0, 0}};
    for (const auto& c : cases) {
        const CellOffset offset = neighbourOffset(c.index);
        EXPECT_EQ(offset.dx, c.dx) << "index " << c.index;
        EXPECT_EQ(offset.dy, c.dy) << "index " << c.index;
    }
}

TEST_F(BattlefieldTest, MoveEntityToItsOwnCellKeepsItThere)
{
    Soldier* unit = placeSoldier(0, 5, 5);
    field().moveEntity(unit, 5.0f, 5.0f);
    EXPECT_EQ(field().occupantAt(5, 5), unit);
    EXPECT_EQ(unit->x, 5);
    EXPECT_EQ(unit->y, 5);

    field().moveEntity(unit, 6.7f, 4.2f);  // truncated to (6, 4)
    EXPECT_EQ(field().occupantAt(6, 4), unit);
    EXPECT_TRUE(field().isFreeCell(5, 5));
    EXPECT_EQ(unit->x, 6);
    EXPECT_EQ(unit->y, 4);
}

TEST(NewBattlefieldTest, StartsEmptyWithNoGameOver)
{
    const auto field = std::make_unique<Battlefield>();
    EXPECT_EQ(field->gameOver, false);
    EXPECT_EQ(field->eliminatedTeam, kNoTeam);
    EXPECT_TRUE(field->objects.empty());
    EXPECT_TRUE(field->units().empty());
    EXPECT_TRUE(field->graveyard.empty());
    for (int x = 0; x < 80; ++x) {
        for (int y = 0; y < 64; ++y) {
            ASSERT_EQ(field->occupantAt(x, y), nullptr) << "cell (" << x << ", " << y << ")";
            ASSERT_EQ(field->heightAt(x, y), 0) << "cell (" << x << ", " << y << ")";
        }
    }
}
