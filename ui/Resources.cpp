#include "ui/Resources.h"

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/stdpaths.h>

#include <cstring>

#include "app/Log.h"

wxString ResourcePath(const wxString& fileName) {
    wxFileName path(wxStandardPaths::Get().GetExecutablePath());
    path.AppendDir("Resources");
    path.SetFullName(fileName);
    return path.GetFullPath();
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
