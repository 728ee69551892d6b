// Stacking layers into a picture, written once. The window composes its map
// with its layer cache; the export composes without one, as an image or on a
// vector page, and needs no toolkit for that.
#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

#include "data/DerivedGrids.h"
#include "data/PlotRect.h"
#include "render/LayerImage.h"
#include "render/LayerTable.h"
#include "render/PictureStyle.h"

class Canvas;
class LayerCache;
class PlotFile;
class PlotPainter;
class RenderHelper;

// What one picture of an open plot shows.
struct Scene {
    std::vector<const LayerDef*> layers;  // the ticked layers, in any order
    std::vector<wxString> trees;          // the selected trees, in selection order
    PlotRect view;
    int width = 0;
    int height = 0;
    std::vector<wxString> groups;  // the selected groups of trees, in selection order
};

// Every function below draws the scene's size in the style's pixels (a
// scene of a screen with a scale factor, or of --scale, is that much larger
// than its nominal size).

// What the scene's layers need derived from the grid in memory.
DerivedNeeds SceneNeeds(const Scene& scene);

// The scene's layers bottom first, as every picture stacks them: the
// layers by position, a tree layer once for each tree (tree given) and a
// group layer once for each group (its name given), then the overlay of
// the highlighted stems. Several trees' data, and what the scene needs
// derived, are gathered from the painter's plot first, in one pass each.
void ForEachSceneLayer(PlotPainter& painter, const Scene& scene,
                       const std::function<void(const LayerDef&, const wxString& tree)>& visit);

// Draws the scene's layers and hands each to take as soon as it is drawn,
// bottom first: the layers by position, a tree layer once for each tree,
// then the overlay of the painter's highlighted stems. A layer drawn now
// comes with alpha, and the cache, when given, keeps it so; a layer found
// in the cache comes as kept. The overlay, masked, is never kept.
// Nothing is drawn for a scene without pixels.
void ComposeLayers(PlotPainter& painter, const Scene& scene, const PictureStyle& style,
                   const std::function<void(const wxBitmap&)>& take, LayerCache* cache = nullptr);

// The scene as one picture: black, with every layer stacked over it.
// Invalid for a scene without pixels.
wxBitmap ComposePicture(PlotPainter& painter, const Scene& scene, const PictureStyle& style,
                        LayerCache* cache = nullptr);

// The scene's layers stacked without the toolkit onto a picture (black to
// start with) from its top-left corner; what lies outside the scene's size
// is left as it was.
void ComposeOnto(PlotPainter& painter, const Scene& scene, const PictureStyle& style,
                 LayerImage& picture);

// The scene's layers drawn in stacking order onto a vector page, within the
// scene's size from the page's top-left corner; black in a layer stays
// transparent. A cloud layer kept in the cache at the scene's size is drawn
// from its pixels, so that a saved figure has the window's very dots.
void ComposeVector(PlotPainter& painter, const Scene& scene, const PictureStyle& style,
                   Canvas& page, const LayerCache* cache = nullptr);

// The same in the helper's own style (the process-wide settings).
void ComposeLayers(RenderHelper& helper, const Scene& scene,
                   const std::function<void(const wxBitmap&)>& take, LayerCache* cache = nullptr);
wxBitmap ComposePicture(RenderHelper& helper, const Scene& scene, LayerCache* cache = nullptr);

// The scene's layers left empty because their index tables could not be
// built: "uptake-blocks", "tree-blocks (T1)".
std::vector<std::string> MissingLayers(PlotFile& plot, const Scene& scene);
