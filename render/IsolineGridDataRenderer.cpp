#include "render/IsolineGridDataRenderer.h"

#include <cmath>
#include <string>
#include <vector>

#include "data/GridData.h"
#include "db/Query.h"
#include "db/SqlText.h"
#include "db/Statement.h"
#include "render/ColorSettings.h"
#include "render/PlotPixels.h"

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
// different class meet (n is drawn below the cell, e to its right). The far
// corners lie a pixel of the nominal picture (pixel) beyond the cell, where
// its block ends. False when fewer than two corners are marked.
bool CellSegment(const Neighbours& above, double px, double py, double cw, double ch, double pixel,
                 wxPoint& from, wxPoint& to) {
    const double right = px + cw + pixel;
    const double bottom = py + ch + pixel;
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

IsolineLevels::IsolineLevels(double minimum, double maximum, int paletteSize,
                             const std::optional<ValueRange>& fixed, const Classifier* valueClasses)
    : n(paletteSize),
      step((maximum - minimum) / paletteSize),
      fixed(fixed),
      classes(valueClasses && valueClasses->OwnRule() ? valueClasses : nullptr) {
    // Whole-number levels would put every value of a data set in small units
    // on level 0; such sets are classified by their real values.
    const int minI = TruncInt(minimum);
    realValues = TruncInt(maximum - minI) == 0;
}

bool IsolineLevels::HasLevels() const {
    if (fixed || classes) {
        return n > 0;
    }
    return n > 0 && step > 0.0 && std::isfinite(step);
}

double IsolineLevels::Scaled(double value) const {
    if (classes) {
        return classes->ClassOf(value);
    }
    return fixed ? FixedPaletteIndex(value, *fixed, n) : Whole(value) / step;
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

IsolineGridDataRenderer::IsolineGridDataRenderer(const PlotFrame& frame, Database database)
    : GridDataRenderer(frame), database(database) {}

void IsolineGridDataRenderer::Draw(Canvas& canvas, GridData& data) {
    const IsolineLevels levels(data.GetMinValue(), data.GetMaxValue(),
                               static_cast<int>(palette.size()), fixedRange, classes.get());
    // Equal extremes or no palette leave no levels to separate.
    if (!levels.HasLevels()) {
        return;
    }
    const PlotRect& view = frame.View();
    double cell = data.GetCellSize();
    const PixelScale scale = frame.GridScale(cell);
    double cw = cell * scale.x;
    double ch = cell * scale.y;

    const char* xName = data.GetXColumn();
    const char* yName = data.GetYColumn();
    const ViewFilter range{ViewFilter::EdgesIncluded, view.xMin, view.yMin, view.xMax, view.yMax};
    auto drawCell = [&](const LevelCell& row) {
        const PixelPoint at = frame.CellCorner(row.x, row.y, cell, scale);
        double cellLevel = levels.CellLevel(row.count);
        bool aboveW = levels.Scaled(row.w) > cellLevel;
        bool aboveE = levels.Scaled(row.e) > cellLevel;
        bool aboveS = levels.Scaled(row.s) > cellLevel;
        bool aboveN = levels.Scaled(row.n) > cellLevel;
        int above = aboveW + aboveE + aboveS + aboveN;
        if (above == 0 || above == 4) {
            return;
        }
        wxPoint from;
        wxPoint to;
        // North up, the northern neighbour is drawn above the cell.
        const Neighbours sides = scale.flipped ? Neighbours{aboveS, aboveE, aboveN, aboveW}
                                               : Neighbours{aboveN, aboveE, aboveS, aboveW};
        if (!CellSegment(sides, at.x, at.y, cw, ch, frame.PixelRatio(), from, to)) {
            return;
        }
        canvas.Line(from.x, from.y, to.x, to.y, palette[levels.ColorIndex(row.count)]);
    };

    // Cells held in memory need no table, nor its name (which may be still to write).
    std::vector<LevelCell> cells;
    if (data.ReadLevelCells(range, cells)) {
        for (const LevelCell& row : cells) {
            drawCell(row);
        }
        return;
    }
    const char* table = data.GetTableName();
    if (table == nullptr || *table == '\0') {
        return;
    }
    Query query(
        "SELECT * FROM (SELECT * FROM %s %s) \t\tWHERE count != n OR count != e OR "
        "count != s OR count != w",
        SqlName(table).c_str(), ViewFilterQuery(range, xName, yName).Text());
    // Read once over its rows: no counting pass, columns found once.
    Statement rows(database, query.Text());
    int at[7] = {};
    for (bool first = true; rows.Step(); first = false) {
        if (first) {
            const char* names[7] = {"count", "n", "e", "s", "w", xName, yName};
            for (int i = 0; i < 7; ++i) {
                at[i] = rows.Find(names[i]);
            }
        }
        drawCell(LevelCell{rows.GetDouble(at[5]), rows.GetDouble(at[6]), rows.GetDouble(at[0]),
                           rows.GetDouble(at[1]), rows.GetDouble(at[2]), rows.GetDouble(at[3]),
                           rows.GetDouble(at[4])});
    }
}
