#include "ui/InspectorPlacement.h"

#include <wx/display.h>
#include <wx/toplevel.h>

#include <algorithm>

wxPoint InspectorPosition(const wxRect& main, const wxSize& inspector, const wxRect& screen,
                          int mapRight) {
    // Kept within the screen's height, level with the main window where it can be.
    const int y =
        std::max(screen.GetTop(), std::min(main.GetTop(), screen.GetBottom() + 1 - inspector.y));
    const int right = main.GetRight() + 1 + kInspectorGap;
    if (right + inspector.x <= screen.GetRight() + 1) {
        return wxPoint(right, y);
    }
    const int left = main.GetLeft() - kInspectorGap - inspector.x;
    if (left >= screen.GetLeft()) {
        return wxPoint(left, y);
    }
    return wxPoint(std::max(screen.GetRight() + 1 - inspector.x, mapRight), y);
}

InspectorPlacement::InspectorPlacement(wxTopLevelWindow* main, wxTopLevelWindow* inspector,
                                       std::function<int()> mapRight)
    : main(main), inspector(inspector), mapRight(std::move(mapRight)) {
    main->Bind(wxEVT_MOVE, &InspectorPlacement::OnMainChanged, this);
    main->Bind(wxEVT_SIZE, &InspectorPlacement::OnMainChanged, this);
    main->Bind(wxEVT_ACTIVATE, &InspectorPlacement::OnMainChanged, this);
    inspector->Bind(wxEVT_MOVE, &InspectorPlacement::OnInspectorMoved, this);
    Place();
}

void InspectorPlacement::Place() {
    // Before the main window shows, its place on the screen is not known
    // (GTK would say so on the terminal); its first move and size place it.
    if (!main->IsShown()) {
        return;
    }
    const int screen = wxDisplay::GetFromWindow(main);
    const wxRect area = wxDisplay(screen == wxNOT_FOUND ? 0u : unsigned(screen)).GetClientArea();
    // Moved only: raising it would take the keyboard from the main window.
    inspector->Move(
        InspectorPosition(main->GetScreenRect(), inspector->GetSize(), area, mapRight()));
}

// After the main window has laid its controls out for its new size, so
// that the map's edge is where it will stay.
void InspectorPlacement::OnMainChanged(wxEvent& event) {
    event.Skip();
    if (following && !placing) {
        placing = true;
        main->CallAfter([this] {
            placing = false;
            Place();
        });
    }
}

// Only a user drags a window while it has the keyboard; the moves made
// here, and the window manager's, come while the main window has it.
void InspectorPlacement::OnInspectorMoved(wxEvent& event) {
    event.Skip();
    if (inspector->IsActive()) {
        following = false;
    }
}
