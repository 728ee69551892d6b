#include "ui/FileDrop.h"

#include <wx/filename.h>
#include <wx/window.h>

#include "base/Log.h"
#include "base/Text.h"
#include "data/PlotTables.h"

namespace {

const char* const kExplanation =
    "Drop one plot file (.db) to open it, or the grid table and the stem table together to "
    "import them.";

bool HasExtension(const wxString& path, std::initializer_list<const char*> extensions) {
    const wxString extension = wxFileName(path).GetExt().Lower();
    for (const char* each : extensions) {
        if (extension == each) {
            return true;
        }
    }
    return false;
}

bool IsText(const wxString& path) {
    return HasExtension(path, {"csv", "tsv", "txt", "gz"});
}

}  // namespace

DropAction ReadDrop(const wxArrayString& files) {
    DropAction action;
    if (files.size() == 1 && !IsText(files[0])) {
        action.kind = DropAction::Kind::OpenPlot;
        action.plot = files[0];
    } else if (files.size() == 2 && !HasExtension(files[0], {"db"}) &&
               !HasExtension(files[1], {"db"})) {
        std::string grid = Utf8(files[0]);
        std::string stems = Utf8(files[1]);
        if (HasStemHeader(grid) && !HasStemHeader(stems)) {
            std::swap(grid, stems);
        }
        action.kind = DropAction::Kind::Import;
        action.import.gridPath = grid;
        action.import.stemsPath = stems;
    }
    return action;
}

bool FileDrop::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) {
    Log(LOG_RUN, "Files dropped: %zu", files.size());
    // Pending calls go with their window, so a closed window gets none.
    window->CallAfter([hooks = hooks, files] {
        const DropAction action = ReadDrop(files);
        switch (action.kind) {
            case DropAction::Kind::OpenPlot:
                hooks.open(action.plot);
                break;
            case DropAction::Kind::Import:
                hooks.import(action.import);
                break;
            case DropAction::Kind::Explain:
                hooks.explain(kExplanation);
                break;
        }
    });
    return true;
}
