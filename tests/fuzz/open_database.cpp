// Fuzz target: opening a plot file made of any bytes, as the window and the
// export open it, and asking it what they ask.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "data/PlotFile.h"

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
        PlotFile plot(kDatabase, ProgressMonitor(0, 0));
        plot.GetOpening();
        plot.GetFullExtent();
        const std::vector<wxString> trees = plot.GetTreeNames();
        const std::vector<wxString> attributes = plot.GetStemAttributeNames();
        if (!trees.empty()) {
            plot.GetStemValue(trees.front(), attributes.empty() ? "dbh" : attributes.front());
        }
        plot.FindNearestStem(0.0, 0.0);
        Walk(plot.GetUptakeGrid(), plot.GetFullExtent());
        Walk(plot.GetNeighborGrid(), plot.GetFullExtent());
        Walk(plot.GetStemPoints());
        // One tree's own uptake, as its stem layers build it.
        if (!trees.empty() && plot.GetOpening().status != PlotOpening::Status::Refused) {
            UptakeGridData tree(plot.GetDatabase(),
                                Query("%s", StemUptakeQuery(trees.front()).utf8_str().data()),
                                "grid", "x_coord", "y_coord", ProgressMonitor(0, 0));
            Walk(&tree, plot.GetFullExtent());
            // Every tree at once, as a picture of several trees gathers them.
            plot.GatherTrees(trees);
        }
    }
    RemoveRunFiles(kDatabase);
    return 0;
}
