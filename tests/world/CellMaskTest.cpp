// The cell masks answer the searches' row questions with word operations; here every answer is
// compared with a plain walk of the same cells, on masks of every density, with marks on both
// sides of the word boundary between columns 63 and 64.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>

#include "world/CellMask.h"

namespace {

// The mask and the same marks as a plain table.
struct MarkedCells {
    CellMask mask;
    bool marked[kColumns][kRows] = {};

    void set(int x, int y)
    {
        mask.set(x, y);
        marked[x][y] = true;
    }
    void clear(int x, int y)
    {
        mask.clear(x, y);
        marked[x][y] = false;
    }
    int columnDistanceByWalk(int y, int x) const
    {
        int best = kColumns;
        for (int c = 0; c < kColumns; ++c) {
            if (marked[c][y] && std::abs(c - x) < best) best = std::abs(c - x);
        }
        return best;
    }
    std::uint64_t markedRowsByWalk(int first, int last) const
    {
        std::uint64_t rows = 0;
        for (int y = first; y <= last; ++y) {
            if (y < 0 || y >= kRows) continue;
            for (int c = 0; c < kColumns; ++c) {
                if (marked[c][y]) rows |= std::uint64_t{1} << y;
            }
        }
        return rows;
    }
};

// Every row question, asked for every cell and for spans that reach over both edges.
void expectAgreement(const MarkedCells& cells)
{
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            ASSERT_EQ(cells.mask.columnDistance(y, x), cells.columnDistanceByWalk(y, x)) << "row " << y << ", column " << x;
        }
    }
    const int spans[][2] = {{0, 63}, {-25, 10}, {50, 90}, {20, 20}, {-5, -1}, {64, 70}, {30, 29}, {0, 0}, {63, 63}};
    for (const auto& span : spans) {
        EXPECT_EQ(cells.mask.markedRowsIn(span[0], span[1]), cells.markedRowsByWalk(span[0], span[1]))
            << "rows " << span[0] << ".." << span[1];
    }
}

}  // namespace

TEST(CellMask, RowAnswersAgreeWithAWalkAtEveryDensity)
{
    std::mt19937 random(2024);
    for (const int perMille : {0, 2, 20, 150, 500, 950, 1000}) {
        SCOPED_TRACE(::testing::Message() << perMille << " marks per thousand cells");
        MarkedCells cells;
        std::uniform_int_distribution<int> draw(0, 999);
        for (int x = 0; x < kColumns; ++x) {
            for (int y = 0; y < kRows; ++y) {
                if (draw(random) < perMille) cells.set(x, y);
            }
        }
        expectAgreement(cells);
        // Clearing half the marks again, some rows become empty and must leave the row bits.
        for (int x = 0; x < kColumns; ++x) {
            for (int y = 0; y < kRows; ++y) {
                if (cells.marked[x][y] && draw(random) < 500) cells.clear(x, y);
            }
        }
        expectAgreement(cells);
    }
}

TEST(CellMask, MarksAtTheEdgesAndTheWordBoundary)
{
    // One mark per row at a column that is awkward for the word arithmetic.
    const int columns[] = {0, 1, 62, 63, 64, 65, 78, 79};
    MarkedCells cells;
    for (int n = 0; n < 8; ++n) cells.set(columns[n], n);
    // Two marks on either side of the boundary in one row, then one of them gone.
    cells.set(63, 10);
    cells.set(64, 10);
    expectAgreement(cells);
    EXPECT_EQ(cells.mask.columnDistance(10, 70), 6);
    EXPECT_EQ(cells.mask.columnDistance(10, 40), 23);
    cells.clear(64, 10);
    EXPECT_EQ(cells.mask.columnDistance(10, 70), 7);
    cells.clear(63, 10);
    EXPECT_EQ(cells.mask.columnDistance(10, 70), kColumns) << "an empty row has no marked column";
    EXPECT_EQ(cells.mask.markedRowsIn(10, 10), 0u);
    expectAgreement(cells);
}
