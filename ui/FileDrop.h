// Files dropped on the main window: one plot file is opened, the grid and
// stem tables together are imported (in whichever order they come); other
// drops are answered with what a drop can do.
#pragma once

#include <wx/dnd.h>
#include <wx/string.h>

#include <functional>

#include "cli/ImportCommand.h"

struct DropAction {
    enum class Kind { OpenPlot, Import, Explain };
    Kind kind = Kind::Explain;
    wxString plot;         // OpenPlot
    ImportRequest import;  // Import: the grid and stem tables
};

// What a drop of these files asks for. Reads the headers of two text files
// to tell the stem table from the grid.
DropAction ReadDrop(const wxArrayString& files);

// What the window lets a drop do.
struct DropHooks {
    std::function<void(const wxString& path)> open;
    // Asks for what the request lacks (where to save), then imports.
    std::function<void(const ImportRequest& files)> import;
    std::function<void(const wxString& text)> explain;
};

class FileDrop : public wxFileDropTarget {
  public:
    // The hooks run after the drop has ended, so that they may ask questions
    // in dialogs of their own; not at all when the window has gone meanwhile.
    FileDrop(wxWindow* window, DropHooks hooks) : window(window), hooks(std::move(hooks)) {}

    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& files) override;

  private:
    wxWindow* window;
    DropHooks hooks;
};
