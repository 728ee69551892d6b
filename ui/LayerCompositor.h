// The layer bitmaps behind the map: each visible layer drawn once for the
// current view and kept until the view or the colours change, and the walk
// that stacks them in compositing order under the overlay of highlighted
// stems.
#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

#include <cstdint>
#include <map>
#include <vector>

class RenderHelper;

// A ticked layer: a plot layer, or a tree layer drawn once for each stem.
struct VisibleLayer {
    uint32_t flag;
    bool perStem;
};

class LayerCompositor {
  public:
    // The bitmaps to stack, bottom first: the layers in the order given, a
    // tree layer once for each stem in order, then the overlay (never kept).
    // Layers are taken from the caches or drawn at width x height.
    std::vector<wxBitmap> Compose(RenderHelper& helper, const std::vector<VisibleLayer>& layers,
                                  const std::vector<wxString>& stems, int width, int height);

    // The kept bitmap of a layer as drawn, invalid when there is none.
    wxBitmap CachedPlotLayer(uint32_t flag) const;
    wxBitmap CachedStemLayer(const wxString& stem, uint32_t flag) const;
    // Everything goes when the view or the colours change.
    void Clear();
    // One stem's layers go when its colour changes.
    void ClearStem(const wxString& stem);

  private:
    wxBitmap PlotLayer(RenderHelper& helper, uint32_t flag, int width, int height);
    wxBitmap StemLayer(RenderHelper& helper, const wxString& stem, uint32_t flag, int width,
                       int height);

    std::map<uint32_t, wxBitmap> plotLayerCache;
    std::map<wxString, std::map<uint32_t, wxBitmap>> stemLayerCache;
};
