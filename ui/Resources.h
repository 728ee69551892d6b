// The images the windows load from the folder "Resources" beside the
// executable or, in an installed program, from share/quenvar.
#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

// The full path of a file in the resource folder: beside the executable when
// it is there, else where the installation puts it, else (missing) beside.
wxString ResourcePath(const wxString& fileName);

// Loads a PNG from the resource folder. A missing or unreadable image is
// logged and replaced by a transparent one of the given size, so that the
// windows keep their geometry.
wxBitmap LoadResourceBitmap(const wxString& fileName, int fallbackWidth, int fallbackHeight);
