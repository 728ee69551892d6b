#include "render/IsolineGridDataRenderer.h"

#include <cmath>
#include <string>

#include "data/GridData.h"
#include "db/Query.h"
#include "db/Result.h"
#include "db/Row.h"
#include "db/SqlText.h"
#include "render/ColorSettings.h"
#include "render/PlotRect.h"

namespace {

// Which of a cell's four neighbours lie above the cell's level.
struct Neighbours {
    bool n;
    bool e;
    bool s;
    bool w;
};

// The segment of a cell with corner (px, py) and size cw x ch pixels: it
// joins the first and the last of the corners where two neighbours of
// different class meet (n is drawn below the cell, e to its right). False
// when fewer than two corners are marked.
bool CellSegment(const Neighbours& above, double px, double py, double cw, double ch, wxPoint& from,
                 wxPoint& to) {
    const double right = px + cw + 1;
    const double bottom = py + ch + 1;
    struct Corner {
        bool marked;
        double x;
        double y;
    };
    const Corner corners[] = {{above.n != above.e, right, bottom},
                              {above.e != above.s, right, py},
                              {above.w != above.n, px, bottom},
                              {above.w != above.s, px, py}};
    int marked = 0;
    for (const Corner& corner : corners) {
        if (!corner.marked) {
            continue;
        }
        wxPoint& point = marked == 0 ? from : to;
        point = wxPoint(PixelInt(corner.x), PixelInt(corner.y));
        ++marked;
    }
    return marked >= 2;
}

}  // namespace

IsolineLevels::IsolineLevels(double minimum, double maximum, int paletteSize)
    : n(paletteSize), step((maximum - minimum) / paletteSize) {
    // Whole-number levels would put every value of a data set in small units
    // on level 0; such sets are classified by their real values.
    const int minI = TruncInt(minimum);
    realValues = TruncInt(maximum - minI) == 0;
}

bool IsolineLevels::HasLevels() const {
    return n > 0 && step > 0.0 && std::isfinite(step);
}

double IsolineLevels::Whole(double value) const {
    return realValues ? value : std::trunc(value);
}

double IsolineLevels::CellLevel(double value) const {
    return std::trunc(Scaled(value));
}

int IsolineLevels::ColorIndex(double value) const {
    const double level = CellLevel(value);
    return level < 0 ? 0 : (level >= n ? n - 1 : static_cast<int>(level));
}

IsolineGridDataRenderer::IsolineGridDataRenderer(double xMin, double yMin, double xMax, double yMax,
                                                 int width, int height, Database database)
    : GridDataRenderer(xMin, yMin, xMax, yMax, width, height), database(database) {}

wxBitmap IsolineGridDataRenderer::Render(GridData& data) {
    const IsolineLevels levels(data.GetMinValue(), data.GetMaxValue(),
                               static_cast<int>(palette.size()));
    const char* table = data.GetTableName();
    // Equal extremes or no palette leave no levels to separate.
    if (!CanDraw() || !levels.HasLevels() || table == nullptr || *table == '\0') {
        return bitmap;
    }
    double cell = data.GetCellSize();
    double sx = GridScaleX(cell);
    double sy = GridScaleY(cell);
    double cw = cell * sx;
    double ch = cell * sy;

    const char* xName = data.GetXColumn();
    const char* yName = data.GetYColumn();
    std::string xColumn = SqlName(xName);
    std::string yColumn = SqlName(yName);
    Query query(
        "SELECT * FROM (SELECT * FROM %s WHERE %s >= %f AND %s <= %f AND %s >= %f AND %s <= %f) "
        "\t\tWHERE count != n OR count != e OR count != s OR count != w",
        SqlName(table).c_str(), xColumn.c_str(), view.xMin, xColumn.c_str(), view.xMax,
        yColumn.c_str(), view.yMin, yColumn.c_str(), view.yMax);
    Result result = database.RunQuery(query);
    int current = -1;
    while (result.HasRow()) {
        Row row = result.NextRow();
        double c = row.GetDouble("count");
        double vn = row.GetDouble("n");
        double ve = row.GetDouble("e");
        double vs = row.GetDouble("s");
        double vw = row.GetDouble("w");
        double px = (row.GetDouble(xName) - view.xMin) * sx;
        double py = (row.GetDouble(yName) - view.yMin) * sy;

        double cellLevel = levels.CellLevel(c);
        bool aboveW = levels.Scaled(vw) > cellLevel;
        bool aboveE = levels.Scaled(ve) > cellLevel;
        bool aboveS = levels.Scaled(vs) > cellLevel;
        bool aboveN = levels.Scaled(vn) > cellLevel;
        int above = aboveW + aboveE + aboveS + aboveN;
        if (above == 0 || above == 4) {
            continue;
        }

        int colorIndex = levels.ColorIndex(c);
        if (colorIndex != current) {
            SetSolidColor(palette[colorIndex]);
            current = colorIndex;
        }

        wxPoint from;
        wxPoint to;
        if (CellSegment(Neighbours{aboveN, aboveE, aboveS, aboveW}, px, py, cw, ch, from, to)) {
            dc.DrawLine(from, to);
        }
    }
    return bitmap;
}
