#include "data/GridData.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "db/SqlText.h"

GridData::GridData(int valueColumnCount) : valueColumnCount(valueColumnCount) {}

void GridData::AddColumn(const wxString&) {}

void GridData::AddPoint(double x, double y, const std::vector<double>&) {
    if (x < xMin) {
        xMin = x;
    }
    if (x > xMax) {
        xMax = x;
    }
    if (y < yMin) {
        yMin = y;
    }
    if (y > yMax) {
        yMax = y;
    }
}

double GridData::GetMaxValue() {
    return defaultValue;
}

double GridData::GetMinValue() {
    return defaultValue;
}

double GridData::GetValueAt(double, double) {
    return defaultValue;
}

bool GridData::ContainsEither(double, double, double, double) {
    return true;
}

void GridData::Print() {
    std::fputs("Blank GridData", stdout);
    std::fflush(stdout);
}

wxString GridData::GetName() {
    return "Blank grid";
}

void GridData::First() {}

bool GridData::IsValid() {
    return false;
}

void GridData::Next() {}

void GridData::Close() {}

double GridData::GetValue() {
    return defaultValue;
}

double GridData::GetX() {
    return 0.0;
}

double GridData::GetY() {
    return 0.0;
}

const char* GridData::GetXColumn() {
    return "";
}

const char* GridData::GetYColumn() {
    return "";
}

const char* GridData::GetTableName() {
    return "";
}

void GridData::SetFilter(const Query&) {}

void GridData::ClearFilter() {}

void GridData::SetViewFilter(const ViewFilter& filter) {
    SetFilter(ViewFilterQuery(filter, GetXColumn(), GetYColumn()));
}

bool GridData::ReadLevelCells(const ViewFilter&, std::vector<LevelCell>&) {
    return false;
}

Query ViewFilterQuery(const ViewFilter& filter, const char* xColumn, const char* yColumn) {
    const std::string x = SqlName(xColumn);
    const std::string y = SqlName(yColumn);
    if (filter.kind == ViewFilter::EdgesIncluded) {
        return Query("WHERE %s >= %f AND %s <= %f AND %s >= %f AND %s <= %f", x.c_str(),
                     filter.xMin, x.c_str(), filter.xMax, y.c_str(), filter.yMin, y.c_str(),
                     filter.yMax);
    }
    return Query("WHERE %s > %f AND %s < %f AND %s > %f AND %s < %f AND count > 0", x.c_str(),
                 filter.xMin, x.c_str(), filter.xMax, y.c_str(), filter.yMin, y.c_str(),
                 filter.yMax);
}

int QueryChecksum(const char* text) {
    // Unsigned arithmetic wraps at 32 bits without undefined behaviour; the
    // result is read back as the signed sum.
    uint32_t sum = 0;
    uint32_t position = 1;
    for (const char* p = text; *p; ++p, ++position) {
        sum += position * static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
    }
    return static_cast<int32_t>(sum);
}

std::vector<GridCell> AllCells(GridData& set) {
    // A view a cell wider than the set's extent on every side holds every
    // cell, whatever the rounding of its bounds in the filter's text.
    const double margin = std::max(set.GetCellSize(), 1.0);
    set.SetViewFilter(ViewFilter{ViewFilter::EdgesIncluded, set.GetXMin() - margin,
                                 set.GetYMin() - margin, set.GetXMax() + margin,
                                 set.GetYMax() + margin});
    std::vector<GridCell> cells;
    for (set.First(); set.IsValid(); set.Next()) {
        cells.push_back(GridCell{set.GetX(), set.GetY(), set.GetValue()});
    }
    set.Close();
    set.ClearFilter();
    return cells;
}

std::vector<double> SortedNonZeroValues(GridData& set) {
    std::vector<double> values;
    for (const GridCell& cell : AllCells(set)) {
        if (cell.value != 0.0) {
            values.push_back(cell.value);
        }
    }
    std::sort(values.begin(), values.end());
    return values;
}
