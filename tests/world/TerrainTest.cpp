#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "world/Battlefield.h"
#include "world/Random.h"

namespace {

// Heights kept as an independent model of the terrain: grid[x][y].
using Heights = std::vector<std::vector<int>>;

Heights flat()
{
    return Heights(80, std::vector<int>(64, 0));
}

// A diamond hill: the cell at distance d = |dx| + |dy| from the centre rises by peak - d while
// d < peak. Cells off the grid are simply not there; afterwards everything is clamped to 15.
void addHill(Heights& grid, int cx, int cy, int peak)
{
    for (int x = 0; x < 80; ++x) {
        for (int y = 0; y < 64; ++y) {
            const int d = std::abs(x - cx) + std::abs(y - cy);
            if (d < peak) grid[x][y] = std::min(15, grid[x][y] + peak - d);
        }
    }
}

// Number of cells whose height differs from the model; reports the first few.
int differingCells(const Battlefield& field, const Heights& expected)
{
    int differing = 0;
    for (int x = 0; x < 80; ++x) {
        for (int y = 0; y < 64; ++y) {
            const int actual = field.heightAt(static_cast<float>(x), static_cast<float>(y));
            if (actual == expected[x][y]) continue;
            if (++differing <= 5) {
                ADD_FAILURE() << "cell (" << x << ", " << y << "): height " << actual << ", expected "
                              << expected[x][y];
            }
        }
    }
    return differing;
}

}  // namespace

TEST(TerrainTest, HillOfPeakOneRaisesOnlyItsCentre)
{
    auto field = std::make_unique<Battlefield>();
    field->raiseHill(40, 30, 1);
    Heights expected = flat();
    expected[40][30] = 1;
    EXPECT_EQ(differingCells(*field, expected), 0);
}

TEST(TerrainTest, HillOfPeakFifteenFallsOneLevelPerCell)
{
    auto field = std::make_unique<Battlefield>();
    field->raiseHill(40, 32, 15);
    EXPECT_EQ(field->heightAt(40, 32), 15);
    EXPECT_EQ(field->heightAt(54, 32), 1);  // distance 14
    EXPECT_EQ(field->heightAt(33, 25), 1);  // distance 7 + 7
    EXPECT_EQ(field->heightAt(55, 32), 0);  // distance 15
    EXPECT_EQ(field->heightAt(40, 17), 0);
    EXPECT_EQ(field->heightAt(32, 25), 0);  // distance 8 + 7
    Heights expected = flat();
    addHill(expected, 40, 32, 15);
    EXPECT_EQ(differingCells(*field, expected), 0);
}

TEST(TerrainTest, HillsAtTheBorderAreCutOffWithoutWrapping)
{
    struct {
        int cx, cy, peak;
    } const hills[] = {{0, 0, 15}, {79, 63, 6}, {79, 0, 3}, {0, 40, 9}};
    for (const auto& h : hills) {
        SCOPED_TRACE(::testing::Message() << "hill at (" << h.cx << ", " << h.cy << ") peak " << h.peak);
        auto field = std::make_unique<Battlefield>();
        field->raiseHill(h.cx, h.cy, h.peak);
        Heights expected = flat();
        addHill(expected, h.cx, h.cy, h.peak);
        EXPECT_EQ(differingCells(*field, expected), 0);
    }
}

TEST(TerrainTest, OverlappingHillsNeverExceedFifteen)
{
    auto field = std::make_unique<Battlefield>();
    Heights expected = flat();
    struct {
        int cx, cy, peak;
    } const hills[] = {{10, 10, 15}, {10, 10, 15}, {12, 11, 9}, {5, 5, 4}, {14, 10, 1}};
    for (const auto& h : hills) {
        field->raiseHill(h.cx, h.cy, h.peak);
        addHill(expected, h.cx, h.cy, h.peak);
    }
    EXPECT_EQ(differingCells(*field, expected), 0);
    EXPECT_EQ(field->heightAt(10, 10), 15);
    EXPECT_EQ(field->heightAt(12, 11), 15);
}

TEST(TerrainTest, GeneratedTerrainFollowsTheDrawsOfEachHill)
{
    for (unsigned seed : {1u, 7u, 12345u}) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        auto field = std::make_unique<Battlefield>();
        Random terrainDraws(seed);
        field->generateTerrain(terrainDraws);

        // Hill count, then column, row and peak of each hill, from the same draws.
        Random random(seed);
        Heights expected = flat();
        const int hills = random.next() % 15 + 20;
        for (int n = 0; n < hills; ++n) {
            const int cx = (random.next() % 1280) / 16;
            const int cy = (random.next() % 1024) / 16;
            const int peak = random.next() % 15 + 1;
            addHill(expected, cx, cy, peak);
        }
        EXPECT_EQ(differingCells(*field, expected), 0);

        bool anyRaised = false;
        for (int x = 0; x < 80; ++x) {
            for (int y = 0; y < 64; ++y) {
                const int h = field->heightAt(x, y);
                EXPECT_TRUE(h >= 0 && h <= 15) << "cell (" << x << ", " << y << ") height " << h;
                anyRaised = anyRaised || h > 0;
            }
        }
        EXPECT_TRUE(anyRaised);
    }
}
