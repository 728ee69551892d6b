// The colour of each tree, as its cloud is drawn and the inspector shows it:
// set by the user, or made up at the tree's first need from the runtime's
// generator, which is never seeded, so that the same order of first needs
// gives the same colours in every run. Never pure black, the transparent
// colour of every layer: that becomes (1, 1, 1), which looks the same.
#pragma once

#include <wx/colour.h>
#include <wx/string.h>

#include <map>

class TreeColors {
  public:
    // The tree's colour, made up first if it has none.
    wxColour Get(const wxString& tree);
    void Set(const wxString& tree, const wxColour& color);
    // Every colour made or set so far.
    const std::map<wxString, wxColour>& All() const { return colors; }

  private:
    std::map<wxString, wxColour> colors;
};
