// Where the inspector stands: beside the main window, at its right where the
// screen has room, else at its left, else against the screen's right edge
// over the map, never over the layer list. Window managers place new
// windows as they like, and the main window takes its first size and place
// only after it is shown, so the inspector follows the main window's moves
// and sizes until the user moves the inspector elsewhere.
#pragma once

#include <wx/gdicmn.h>

#include <functional>

class wxEvent;
class wxTopLevelWindow;

// The space between the main window and the inspector, and the inspector's
// width as it is made.
constexpr int kInspectorGap = 20;
constexpr int kInspectorWidth = 500;

// The inspector's top-left corner for the main window's rectangle and the
// screen's work area; layerListRight: the screen x just right of the layer list.
wxPoint InspectorPosition(const wxRect& main, const wxSize& inspector, const wxRect& screen,
                          int layerListRight);

class InspectorPlacement {
  public:
    // layerListRight gives the screen x just right of the layer list.
    InspectorPlacement(wxTopLevelWindow* main, wxTopLevelWindow* inspector,
                       std::function<int()> layerListRight);
    // Puts the inspector beside the main window now.
    void Place();
    // Whether it still follows the main window.
    bool IsFollowing() const { return following; }

  private:
    void OnMainChanged(wxEvent& event);
    void OnInspectorMoved(wxEvent& event);

    wxTopLevelWindow* main;
    wxTopLevelWindow* inspector;
    std::function<int()> layerListRight;
    bool following = true;
};
