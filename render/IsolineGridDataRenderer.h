// Draws level lines through a gridded data set from the neighbour values of
// its index table: one straight segment across each cell whose neighbours
// lie on both sides of the cell's palette level.
#pragma once

#include "db/Database.h"
#include "render/GridDataRenderer.h"

// The palette levels of the level lines for a data set's range and a palette
// of n colours. Levels ignore the minimum: a value v is at v / step, with
// step = (maximum - minimum) / n, and v truncated to a whole number first
// unless the data are in units too small for whole numbers. On a fixed range,
// or under a class rule of its own, a value's level is the palette entry it
// picks, so the lines run exactly where the block colours change.
class IsolineLevels {
  public:
    IsolineLevels(double minimum, double maximum, int paletteSize,
                  const std::optional<ValueRange>& fixed = std::nullopt,
                  const Classifier* classes = nullptr);

    // False when the range or the palette leaves no levels to separate.
    bool HasLevels() const;
    // The value's position on the level scale, not truncated.
    double Scaled(double value) const;
    // The level of a cell with this value.
    double CellLevel(double value) const;
    // The palette entry of a cell with this value, always inside the palette.
    int ColorIndex(double value) const;

  private:
    double Whole(double value) const;

    int n;
    double step;
    bool realValues;
    std::optional<ValueRange> fixed;
    const Classifier* classes;  // only when of a rule of its own
};

class IsolineGridDataRenderer : public GridDataRenderer {
  public:
    IsolineGridDataRenderer(double xMin, double yMin, double xMax, double yMax, int width,
                            int height, Database database);
    IsolineGridDataRenderer(const PlotFrame& frame, Database database);

    // Reads the data set's index table directly; the caller fills the palette.
    void Draw(Canvas& canvas, GridData& data);
    // Draws on the bitmap given with SetBitmap.
    wxBitmap Render(GridData& data) {
        return DrawOnBitmap([&](Canvas& canvas) { Draw(canvas, data); });
    }

  private:
    Database database;
};
