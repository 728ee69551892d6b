// The base of the renderers that draw a gridded data set onto a layer.
#pragma once

#include <wx/bitmap.h>

#include <memory>
#include <optional>

#include "render/LayerCanvas.h"
#include "render/ValueClasses.h"
#include "render/ValueRange.h"

class GridData;

class GridDataRenderer : public LayerCanvas {
  public:
    using LayerCanvas::LayerCanvas;
    virtual ~GridDataRenderer() = default;

    // A red diagonal from the top-left corner; no layer uses it.
    virtual wxBitmap RenderTestPattern();

    // The values the palette spans, for the renderers that pick palette
    // colours; none (the default) spans the data set's own range.
    void SetFixedRange(const std::optional<ValueRange>& range) { fixedRange = range; }
    // The classes of the set's values, under a rule of their own or for a
    // smooth gradient (smooth: each cell takes the colour of its place along
    // the palette); none keeps the colour scale's own picking rule.
    void SetClasses(std::shared_ptr<const Classifier> valueClasses, bool smoothColors = false) {
        classes = std::move(valueClasses);
        smooth = smoothColors;
    }

  protected:
    // Whether classes of a rule other than equal steps are set.
    bool HasOwnClasses() const { return classes && classes->OwnRule(); }

    std::optional<ValueRange> fixedRange;
    std::shared_ptr<const Classifier> classes;
    bool smooth = false;
};
