#include "ui/RecentPlots.h"

#include <wx/fileconf.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include "base/Log.h"

namespace {

const char* const kGroup = "/RecentPlots";

}  // namespace

RecentPlots::RecentPlots(wxMenuItem* item, std::function<void(const wxString& path)> open,
                         Tell tellGone)
    : item(item), open(std::move(open)), tellGone(std::move(tellGone)) {
    history.UseMenu(item->GetSubMenu());
    Load();
}

bool RecentPlots::Choose(int id) {
    const wxString path = PathOf(id);
    if (path.empty()) {
        return false;
    }
    Log(LOG_RUN, "Recent plot chosen: %s", path.utf8_str().data());
    if (wxFileName::FileExists(path)) {
        open(path);
        return true;
    }
    Remove(path);
    tellGone(wxString::Format(
        "\"%s\" no longer exists, so it is taken off the list of recent plots.", path));
    return true;
}

wxString RecentPlots::ConfigFile() {
    // A relative XDG_CONFIG_HOME is to be ignored, as the XDG rules say.
    wxString folder;
    if (!wxGetEnv("XDG_CONFIG_HOME", &folder) || !wxIsAbsolutePath(folder)) {
        folder = wxGetHomeDir() + "/.config";
    }
    return folder + "/quenvar/quenvar.conf";
}

void RecentPlots::Add(const wxString& path) {
    wxFileName name(path);
    name.MakeAbsolute();
    history.AddFileToHistory(name.GetFullPath());
    Save();
}

void RecentPlots::Remove(const wxString& path) {
    for (size_t i = 0; i < history.GetCount(); ++i) {
        if (history.GetHistoryFile(i) == path) {
            history.RemoveFileFromHistory(i);
            break;
        }
    }
    Save();
}

wxString RecentPlots::PathOf(int id) const {
    const size_t index = size_t(id - wxID_FILE1);
    return IsCommand(id) && index < history.GetCount() ? history.GetHistoryFile(index) : wxString();
}

// A missing, unreadable or damaged file is an empty list: the toolkit's
// complaints would come as dialogs, and the list is no reason for one.
void RecentPlots::Load() {
    const wxString file = ConfigFile();
    if (wxFileExists(file)) {
        wxLogNull quiet;
        wxFileConfig config(wxEmptyString, wxEmptyString, file, wxEmptyString,
                            wxCONFIG_USE_LOCAL_FILE);
        config.SetPath(kGroup);
        history.Load(config);
    }
    item->Enable(history.GetCount() > 0);
}

// The toolkit writes the file under another name and renames it, so that
// the list is never half written.
void RecentPlots::Save() {
    item->Enable(history.GetCount() > 0);
    const wxFileName file(ConfigFile());
    wxLogNull quiet;
    if (!wxFileName::Mkdir(file.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL)) {
        return;
    }
    wxFileConfig config(wxEmptyString, wxEmptyString, file.GetFullPath(), wxEmptyString,
                        wxCONFIG_USE_LOCAL_FILE);
    config.SetPath(kGroup);
    history.Save(config);
    config.Flush();
}
