// The status bar of the main window: what the map holds under the pointer
// (plot point, grid cell with its total uptake and tree count, the selected
// trees' own uptake there, the nearest stem), read from cells held in
// memory; and, while another program keeps the file from being read, a
// field that says so.
#pragma once

#include <wx/statusbr.h>

#include <functional>
#include <memory>
#include <vector>

#include "render/PointReadout.h"

class PlotComparison;
class PlotFile;
class Viewer;

class ReadoutStatusBar : public wxStatusBar {
  public:
    explicit ReadoutStatusBar(wxWindow* parent);
    ~ReadoutStatusBar() override;

    // The plot point under a pixel of the viewer window.
    using PlotPointOf = std::function<void(const wxPoint& pixel, double& x, double& y)>;
    // Follows the pointer over this viewer from now on.
    void Watch(Viewer* viewer, PlotPointOf plotPoint);
    // The open plot; null while none is open (or its tables are gone).
    void SetPlot(PlotFile* plot);
    // The plot compared with the open one (not owned), or null: each value
    // is then read in both, with the change.
    void SetComparison(PlotComparison* value);
    // The trees whose own uptake the readout lists, in selection order, and
    // the groups whose summed uptake it lists.
    void SetTrees(const std::vector<wxString>& labels,
                  const std::vector<wxString>& groupNames = {});
    // The classes whose names follow the values.
    void SetClasses(ReadingClasses classes) { readingClasses = std::move(classes); }
    // Reads the point under the pointer again, for a view that changed under it.
    void Reread();
    // Says that the file is busy (another program writing it), or no longer.
    void SetFileBusy(bool busy);
    bool IsFileBusy() const { return fileBusy; }
    // Says what work on the file runs behind the map; empty when none.
    void SetWorkNote(const wxString& note);

  private:
    // Shows the reading of a viewer pixel; without a plot, nothing.
    void ShowReadingAt(const wxPoint& pixel);
    void Clear();
    void ShowNoteField();
    void OnViewerMotion(wxMouseEvent& event);
    void OnViewerLeave(wxMouseEvent& event);

    Viewer* viewer = nullptr;
    PlotPointOf plotPointOf;
    std::unique_ptr<PointReadout> readout;
    PlotComparison* comparison = nullptr;
    ReadingClasses readingClasses;
    std::vector<wxString> trees;
    std::vector<wxString> groups;
    bool pointerInside = false;
    bool fileBusy = false;
    wxString workNote;
    wxPoint pointer;
};
