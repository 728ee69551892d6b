// Help > About Quenvar: the program's version and the versions of the
// libraries it runs with, as loaded, not as compiled against.
#pragma once

#include <wx/string.h>

class wxWindow;

// "Quenvar 0.27" and the SQLite and wxWidgets versions, one a line.
wxString AboutText();

void ShowAboutBox(wxWindow* parent);
