// The readout answers from cells held in memory exactly as from the index
// tables' queries, at cell edges, in holes of the grid and beyond it.
#include <gtest/gtest.h>

#include "TestPlot.h"
#include "TestSupport.h"
#include "base/ProgressMonitor.h"
#include "data/PlotFile.h"
#include "render/PointReadout.h"

namespace {

TEST(PointReadoutTest, CellsInMemoryReadAsTheIndexTables) {
    TempDir dir;
    // Half-unit cells off the whole numbers, with a hole at (1.25, 0.75).
    std::vector<PlotCell> cells;
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 5; ++j) {
            if (i == 2 && j == 1) {
                continue;
            }
            cells.push_back({0.25 + 0.5 * i, 0.25 + 0.5 * j, {double(i + j), double(i % 2) * j}});
        }
    }
    MakeGrid("plot.db", cells, 2);
    MakeStems("plot.db", {{"T1", 0.5, 0.5, 0.3, 4.0}, {"T2", 2.5, 2.0, 0.3, 4.0}});

    PlotFile plot("plot.db", ProgressMonitor(0, 0));
    ASSERT_TRUE(plot.GetOpening().IsOpen());
    PointReadout fromTables(plot);
    fromTables.SetTrees({"T1", "T2"});
    plot.HoldCells();
    plot.PrepareTree("T1");
    plot.PrepareTree("T2");
    PointReadout fromMemory(plot);
    fromMemory.SetTrees({"T1", "T2"});

    int withCell = 0;
    for (double x = 0.0; x <= 3.5; x += 0.125) {
        for (double y = 0.0; y <= 3.0; y += 0.125) {
            const PointReading a = fromTables.Read(x, y);
            const PointReading b = fromMemory.Read(x, y);
            SCOPED_TRACE(testing::Message() << "at " << x << ", " << y);
            ASSERT_EQ(a.hasCell, b.hasCell);
            withCell += a.hasCell;
            EXPECT_EQ(a.cellX, b.cellX);
            EXPECT_EQ(a.cellY, b.cellY);
            EXPECT_EQ(a.uptake, b.uptake);
            EXPECT_EQ(a.treeCount, b.treeCount);
            ASSERT_EQ(a.trees.size(), b.trees.size());
            for (size_t i = 0; i < a.trees.size(); ++i) {
                EXPECT_EQ(a.trees[i].uptake, b.trees[i].uptake) << a.trees[i].label;
            }
        }
    }
    EXPECT_GT(withCell, 300);
}

}  // namespace
