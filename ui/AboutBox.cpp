#include "ui/AboutBox.h"

#include <wx/aboutdlg.h>
#include <wx/utils.h>

#include "cli/CommandLine.h"
#include "db/Connection.h"

namespace {

wxString LibraryLines() {
    return wxString::Format("SQLite %s\n%s", SqliteLibraryVersion(),
                            wxGetLibraryVersionInfo().GetVersionString());
}

}  // namespace

wxString AboutText() {
    return wxString::FromUTF8(VersionText().c_str()) + "\n" + LibraryLines();
}

void ShowAboutBox(wxWindow* parent) {
    wxAboutDialogInfo info;
    info.SetName("Quenvar");
    info.SetVersion(kQuenvarVersion);
    info.SetDescription("A viewer for the root data of forest plots.\n\nRunning with\n" +
                        LibraryLines());
    wxAboutBox(info, parent);
}
