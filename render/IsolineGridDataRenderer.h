// Draws level lines through a gridded data set from the neighbour values of
// its index table: one straight segment across each cell whose neighbours
// lie on both sides of the cell's palette level.
#pragma once

#include "db/Database.h"
#include "render/GridDataRenderer.h"

class IsolineGridDataRenderer : public GridDataRenderer {
  public:
    IsolineGridDataRenderer(double xMin, double yMin, double xMax, double yMax, int width,
                            int height, Database database);

    // Reads the data set's index table directly; the caller fills the palette.
    wxBitmap Render(GridData& data);

  private:
    Database database;
};
