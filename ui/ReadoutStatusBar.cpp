#include "ui/ReadoutStatusBar.h"

#include "render/PointReadout.h"
#include "ui/Viewer.h"

namespace {

enum Field {
    POINT_FIELD,
    CELL_FIELD,
    TREES_FIELD,
    STEM_FIELD,
    FIELD_COUNT,
    BUSY_FIELD = FIELD_COUNT
};

const int kWidths[FIELD_COUNT + 1] = {-2, -4, -3, -3, -4};
const char* const kFileBusy = "the file is busy (another program is writing it)";

wxString Number(double value) {
    return wxString::Format("%g", value);
}

// ", dominant T05 (62 %)", once the plot has gathered who takes up most.
wxString DominantText(const DominantReading& dominant, const char* what) {
    if (!dominant.known || dominant.label.empty()) {
        return wxString();
    }
    return wxString::Format(", %s %s (%.3g %%)", what, dominant.label, dominant.share * 100.0);
}

// "3 → 5 (+2)": the open plot's value, the compared one's and the change.
wxString Change(double value, double other) {
    return Number(value) + wxString::FromUTF8(" \u2192 ") + Number(other) +
           wxString::Format(" (%+g)", other - value);
}

wxString CellReadingText(const PointReading& reading, const ReadingClasses& classes) {
    if (!reading.hasCell) {
        return "no grid cell";
    }
    const wxString cell = "cell " + Number(reading.cellX) + " " + Number(reading.cellY) + ": ";
    if (const std::optional<ComparedReading>& compared = reading.compared) {
        return cell + "uptake " + Change(reading.uptake, compared->uptake) + ", trees " +
               Change(reading.treeCount, compared->treeCount);
    }
    return cell + "uptake " + Number(reading.uptake) +
           ClassText(classes.uptake.get(), reading.uptake) + ", " + Number(reading.treeCount) +
           (reading.treeCount == 1 ? " tree" : " trees") +
           ClassText(classes.count.get(), reading.treeCount) +
           DominantText(reading.dominantTree, "dominant") +
           DominantText(reading.dominantGroup, "dominant group");
}

wxString TreeReadingsText(const PointReading& reading, const ReadingClasses& classes) {
    wxString text;
    for (size_t i = 0; i < reading.trees.size(); ++i) {
        const TreeReading& tree = reading.trees[i];
        const auto own = classes.trees.find(tree.label);
        text += (text.empty() ? "" : ", ") + tree.label + " ";
        text += reading.compared
                    ? Change(tree.uptake, reading.compared->trees[i])
                    : Number(tree.uptake) +
                          ClassText(own != classes.trees.end() ? own->second.get() : nullptr,
                                    tree.uptake);
    }
    for (const TreeReading& group : reading.groups) {
        text += (text.empty() ? "" : ", ") + group.label + " " + Number(group.uptake);
    }
    return text;
}

}  // namespace

ReadoutStatusBar::ReadoutStatusBar(wxWindow* parent) : wxStatusBar(parent, wxID_ANY) {
    SetFieldsCount(FIELD_COUNT, kWidths);
}

// The field is there only while the file is busy or work on it runs, so
// that it takes no room otherwise; the busy file is said first.
void ReadoutStatusBar::SetFileBusy(bool busy) {
    if (busy == fileBusy) {
        return;
    }
    fileBusy = busy;
    ShowNoteField();
}

void ReadoutStatusBar::SetWorkNote(const wxString& note) {
    workNote = note;
    ShowNoteField();
}

void ReadoutStatusBar::ShowNoteField() {
    const bool shown = fileBusy || !workNote.empty();
    if (GetFieldsCount() != (shown ? FIELD_COUNT + 1 : FIELD_COUNT)) {
        SetFieldsCount(shown ? FIELD_COUNT + 1 : FIELD_COUNT, kWidths);
    }
    if (shown) {
        SetStatusText(fileBusy ? wxString(kFileBusy) : workNote, BUSY_FIELD);
    }
}

ReadoutStatusBar::~ReadoutStatusBar() = default;

void ReadoutStatusBar::Watch(Viewer* watched, PlotPointOf plotPoint) {
    viewer = watched;
    plotPointOf = std::move(plotPoint);
    // Dynamic handlers run before the viewer's own table, which still gets
    // every event (Skip).
    viewer->Bind(wxEVT_MOTION, &ReadoutStatusBar::OnViewerMotion, this);
    viewer->Bind(wxEVT_LEAVE_WINDOW, &ReadoutStatusBar::OnViewerLeave, this);
}

void ReadoutStatusBar::SetPlot(PlotFile* plot) {
    readout.reset(plot != nullptr ? new PointReadout(*plot) : nullptr);
    if (readout) {
        readout->SetTrees(trees);
        readout->SetGroups(groups);
        readout->SetComparison(comparison);
    }
    Reread();
}

void ReadoutStatusBar::SetComparison(PlotComparison* value) {
    comparison = value;
    if (readout) {
        readout->SetComparison(comparison);
    }
    Reread();
}

void ReadoutStatusBar::SetTrees(const std::vector<wxString>& labels,
                                const std::vector<wxString>& groupNames) {
    trees = labels;
    groups = groupNames;
    if (readout) {
        readout->SetTrees(trees);
        readout->SetGroups(groups);
    }
}

void ReadoutStatusBar::Reread() {
    if (pointerInside) {
        ShowReadingAt(pointer);
    } else {
        Clear();
    }
}

void ReadoutStatusBar::ShowReadingAt(const wxPoint& pixel) {
    if (!readout || viewer == nullptr) {
        Clear();
        return;
    }
    double x = 0.0;
    double y = 0.0;
    // The same plot point a click there would pick from.
    plotPointOf(pixel, x, y);
    const PointReading reading = readout->Read(x, y);
    SetStatusText("x " + Number(reading.x) + ", y " + Number(reading.y), POINT_FIELD);
    SetStatusText(CellReadingText(reading, readingClasses), CELL_FIELD);
    SetStatusText(TreeReadingsText(reading, readingClasses), TREES_FIELD);
    SetStatusText(reading.hasStem
                      ? "nearest " + reading.stem + " at " + Number(reading.stemDistance)
                      : wxString("no stem"),
                  STEM_FIELD);
}

void ReadoutStatusBar::Clear() {
    for (int field = 0; field < FIELD_COUNT; ++field) {
        SetStatusText(wxEmptyString, field);
    }
}

void ReadoutStatusBar::OnViewerMotion(wxMouseEvent& event) {
    event.Skip();
    pointerInside = true;
    pointer = event.GetPosition();
    // While a drag moves the picture, the plot point under the pointer stays.
    if (!(event.LeftIsDown() && viewer->IsDragging())) {
        ShowReadingAt(pointer);
    }
}

void ReadoutStatusBar::OnViewerLeave(wxMouseEvent& event) {
    event.Skip();
    pointerInside = false;
    Clear();
}
