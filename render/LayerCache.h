// The layer bitmaps of the window's map, kept as drawn so that a layer is
// drawn once for a view: toggling a layer or changing the selection takes
// the others from here. Entries are keyed by layer flag (and tree), not by
// size, and go when the view or the colours change.
#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

#include <cstdint>
#include <map>

class LayerCache {
  public:
    // The kept bitmap of a layer, invalid when there is none.
    wxBitmap PlotLayer(uint32_t flag) const;
    wxBitmap StemLayer(const wxString& stem, uint32_t flag) const;
    void KeepPlotLayer(uint32_t flag, const wxBitmap& bitmap) { plotLayers[flag] = bitmap; }
    void KeepStemLayer(const wxString& stem, uint32_t flag, const wxBitmap& bitmap) {
        stemLayers[stem][flag] = bitmap;
    }
    // Everything goes when the view or the colours change.
    void Clear();
    // One stem's layers go when its colour changes.
    void ClearStem(const wxString& stem);

  private:
    std::map<uint32_t, wxBitmap> plotLayers;
    std::map<wxString, std::map<uint32_t, wxBitmap>> stemLayers;
};
