// Fuzz target: opening a plot file made of any bytes, as the window and the
// export open it, and asking it what they ask.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "render/RenderHelper.h"

namespace {

const char* const kDatabase = "plot.db";
// Enough rows to walk every kind of row a small file can hold.
const int kRowLimit = 200;

void WalkRows(GridData* grid) {
    int rows = 0;
    for (grid->First(); grid->IsValid() && rows < kRowLimit; grid->Next(), ++rows) {
        grid->GetValueAt(grid->GetX(), grid->GetY());
        grid->GetValue();
    }
    grid->Close();
}

// The whole set, then the part a renderer selects for a view.
void Walk(GridData* grid, const PlotRect& view) {
    if (!grid) {
        return;
    }
    grid->GetCellSize();
    grid->GetMinValue();
    grid->GetMaxValue();
    grid->ContainsEither(view.xMin, view.xMax, view.yMin, view.yMax);
    WalkRows(grid);
    grid->SetFilter(Query("WHERE %s >= %f AND %s <= %f AND %s >= %f AND %s <= %f",
                          grid->GetXColumn(), view.xMin, grid->GetXColumn(), view.xMax,
                          grid->GetYColumn(), view.yMin, grid->GetYColumn(), view.yMax));
    WalkRows(grid);
    grid->ClearFilter();
}

void Walk(PointData* points) {
    if (!points) {
        return;
    }
    int rows = 0;
    for (points->First(); points->IsValid() && rows < kRowLimit; points->Next(), ++rows) {
        points->GetX();
        points->GetY();
        points->GetLabel();
        points->GetColumnValue("dbh");
    }
    points->Close();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    EnterScratchFolder(argc, argv);
    StartToolkitBase();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RemoveRunFiles(kDatabase);
    WriteBytes(kDatabase, data, size);
    {
        RenderHelper helper(kDatabase, ProgressMonitor(0, 0));
        helper.GetOpenStatus();
        helper.GetOpenProblem();
        helper.GetFullExtent();
        const std::vector<wxString> trees = helper.GetTreeNames();
        const std::vector<wxString> attributes = helper.GetStemAttributeNames();
        if (!trees.empty()) {
            helper.GetStemValue(trees.front(), attributes.empty() ? "dbh" : attributes.front());
        }
        helper.FindNearestStem(0.0, 0.0);
        Walk(helper.GetUptakeGrid(), helper.GetView());
        Walk(helper.GetNeighborGrid(), helper.GetView());
        Walk(helper.GetStemPoints());
        // One tree's own uptake, as its stem layers build it.
        if (!trees.empty() && helper.GetOpenStatus() != RenderHelper::OpenStatus::NoPlotData) {
            UptakeGridData tree(helper.GetDatabase(),
                                Query("%s", StemUptakeQuery(trees.front()).utf8_str().data()),
                                "grid", "x_coord", "y_coord", ProgressMonitor(0, 0));
            Walk(&tree, helper.GetView());
        }
    }
    RemoveRunFiles(kDatabase);
    return 0;
}
