// File > Open Recent: the last nine plots opened, kept with the toolkit's
// file history in the user's configuration folder ($XDG_CONFIG_HOME, else
// ~/.config, then quenvar/quenvar.conf), the program's only stored setting.
// Every change is saved at once, so that a program killed later loses none.
#pragma once

#include <wx/filehistory.h>
#include <wx/string.h>

#include <functional>

class wxMenuItem;

class RecentPlots {
  public:
    using Tell = std::function<void(const wxString& text)>;

    // item: the menu item whose submenu lists the plots; it is greyed while
    // the list is empty. open opens a chosen plot; tellGone says that one
    // has gone.
    RecentPlots(wxMenuItem* item, std::function<void(const wxString& path)> open, Tell tellGone);
    RecentPlots(const RecentPlots&) = delete;
    RecentPlots& operator=(const RecentPlots&) = delete;

    // Opens the plot of a File > Open Recent command; a plot that has gone
    // since leaves the list, and the user is told. False for any other command.
    bool Choose(int id);
    // Puts the plot first in the list.
    void Add(const wxString& path);
    void Remove(const wxString& path);
    // The plot of a menu command (wxID_FILE1 to wxID_FILE9), or empty.
    wxString PathOf(int id) const;
    bool IsCommand(int id) const { return id >= wxID_FILE1 && id <= wxID_FILE9; }
    size_t Count() const { return history.GetCount(); }

    // Where the list is kept.
    static wxString ConfigFile();

  private:
    wxMenuItem* item;
    std::function<void(const wxString& path)> open;
    Tell tellGone;
    wxFileHistory history{9};

    void Load();
    void Save();
};
