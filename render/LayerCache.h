// The layer bitmaps of the window's map, kept as drawn so that a layer is
// drawn once for a view: toggling a layer or changing the selection takes
// the others from here. Entries are keyed by layer flag (and tree), not by
// size, and go when the view or the colours change.
#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

#include <cstdint>
#include <map>

#include "render/LayerTable.h"

class LayerCache {
  public:
    // The kept bitmap of a layer, invalid when there is none.
    wxBitmap PlotLayer(uint32_t flag) const;
    wxBitmap StemLayer(const wxString& stem, uint32_t flag) const;
    void KeepPlotLayer(uint32_t flag, const wxBitmap& bitmap) { plotLayers[flag] = bitmap; }
    void KeepStemLayer(const wxString& stem, uint32_t flag, const wxBitmap& bitmap) {
        stemLayers[stem][flag] = bitmap;
    }
    // A group's layers are kept as a tree's are, apart from them.
    wxBitmap GroupLayer(const wxString& group, uint32_t flag) const;
    void KeepGroupLayer(const wxString& group, uint32_t flag, const wxBitmap& bitmap) {
        groupLayers[group][flag] = bitmap;
    }
    // The kept bitmap of a layer of any group; owner: the tree or group it
    // is drawn for, empty for a plot layer.
    wxBitmap Layer(LayerGroup group, const wxString& owner, uint32_t flag) const;
    void KeepLayer(LayerGroup group, const wxString& owner, uint32_t flag, const wxBitmap& bitmap);
    // Everything goes when the view or the colours change.
    void Clear();
    // One stem's layers go when its colour changes, with the layers drawn
    // in every tree's colour.
    void ClearStem(const wxString& stem);

  private:
    std::map<uint32_t, wxBitmap> plotLayers;
    std::map<wxString, std::map<uint32_t, wxBitmap>> stemLayers;
    std::map<wxString, std::map<uint32_t, wxBitmap>> groupLayers;
};
