// The list of available stems: several rows can be selected, and a plain
// click toggles its row, as a list of several choices does. GTK's own list
// would replace the selection on a plain click.
#pragma once

#include <wx/listbox.h>

class StemList : public wxListBox {
  public:
    explicit StemList(wxWindow* parent);

  private:
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftDoubleClick(wxMouseEvent& event);

    wxDECLARE_EVENT_TABLE();
};
