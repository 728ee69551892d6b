#include "ui/Resources.h"

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/stdpaths.h>

#include <cstring>

#include "base/Log.h"

wxString ResourcePath(const wxString& fileName) {
    const wxFileName executable(wxStandardPaths::Get().GetExecutablePath());
    wxFileName beside(executable);
    beside.AppendDir("Resources");
    beside.SetFullName(fileName);
    // An installed program keeps its images under share/quenvar, found from
    // the program's own folder so that a moved or staged installation works too.
    wxFileName installed(executable.GetPath() + wxFILE_SEP_PATH + QUENVAR_DATA_FROM_BINARY,
                         fileName);
    installed.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    if (!beside.FileExists() && installed.FileExists()) {
        return installed.GetFullPath();
    }
    return beside.GetFullPath();
}

wxBitmap LoadResourceBitmap(const wxString& fileName, int fallbackWidth, int fallbackHeight) {
    wxString path = ResourcePath(fileName);
    wxImage image;
    if (wxFileName::FileExists(path)) {
        // The toolkit would report a failure in a dialog; we log it instead.
        wxLogNull quiet;
        image.LoadFile(path, wxBITMAP_TYPE_PNG);
    }
    if (image.IsOk()) {
        return wxBitmap(image);
    }
    Log(LOG_ERROR, "Cannot load the image %s", (const char*)path.utf8_str());
    wxImage blank(fallbackWidth, fallbackHeight, true);
    blank.InitAlpha();
    memset(blank.GetAlpha(), 0, size_t(fallbackWidth) * fallbackHeight);
    return wxBitmap(blank);
}
