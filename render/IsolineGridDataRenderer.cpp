#include "render/IsolineGridDataRenderer.h"

#include <cmath>
#include <string>

#include "data/GridData.h"
#include "db/Query.h"
#include "db/Result.h"
#include "db/Row.h"
#include "db/SqlText.h"
#include "render/ColorSettings.h"

IsolineGridDataRenderer::IsolineGridDataRenderer(double xMin, double yMin, double xMax, double yMax,
                                                 int width, int height, Database database)
    : GridDataRenderer(xMin, yMin, xMax, yMax, width, height), database(database) {}

wxBitmap IsolineGridDataRenderer::Render(GridData& data) {
    int n = static_cast<int>(palette.size());
    double minimum = data.GetMinValue();
    double maximum = data.GetMaxValue();
    double step = (maximum - minimum) / n;
    const char* table = data.GetTableName();
    // Equal extremes or no palette leave no levels to separate.
    if (!CanDraw() || n == 0 || !(step > 0.0) || !std::isfinite(step) || table == nullptr ||
        *table == '\0') {
        return bitmap;
    }
    double cell = data.GetCellSize();
    double sx = GridScaleX(cell);
    double sy = GridScaleY(cell);
    double cw = cell * sx;
    double ch = cell * sy;

    // Whole-number levels would put every value of a data set in small units
    // on level 0; such sets are classified by their real values.
    int minI = TruncInt(minimum);
    bool realValues = TruncInt(maximum - minI) == 0;
    auto level = [realValues](double value) { return realValues ? value : std::trunc(value); };

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

        double cellLevel = std::trunc(level(c) / step);
        bool aboveW = level(vw) / step > cellLevel;
        bool aboveE = level(ve) / step > cellLevel;
        bool aboveS = level(vs) / step > cellLevel;
        bool aboveN = level(vn) / step > cellLevel;
        int above = aboveW + aboveE + aboveS + aboveN;
        if (above == 0 || above == 4) {
            continue;
        }

        int colorIndex = cellLevel < 0 ? 0 : (cellLevel >= n ? n - 1 : static_cast<int>(cellLevel));
        if (colorIndex != current) {
            SetSolidColor(palette[colorIndex]);
            current = colorIndex;
        }

        // The corners where two neighbours of different class meet; the
        // segment runs from the first marked corner to the last.
        const double right = px + cw + 1;
        const double bottom = py + ch + 1;
        struct Corner {
            bool marked;
            double x;
            double y;
        };
        const Corner corners[] = {{aboveN != aboveE, right, bottom},
                                  {aboveE != aboveS, right, py},
                                  {aboveW != aboveN, px, bottom},
                                  {aboveW != aboveS, px, py}};
        const Corner* start = nullptr;
        const Corner* end = nullptr;
        for (const Corner& corner : corners) {
            if (!corner.marked) {
                continue;
            }
            if (start == nullptr) {
                start = &corner;
            } else {
                end = &corner;
            }
        }
        if (start != nullptr && end != nullptr) {
            dc.DrawLine(PixelInt(start->x), PixelInt(start->y), PixelInt(end->x), PixelInt(end->y));
        }
    }
    return bitmap;
}
