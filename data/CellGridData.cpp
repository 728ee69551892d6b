#include "data/CellGridData.h"

#include <algorithm>
#include <cmath>

CellGridData::CellGridData(std::vector<GridCell> gridCells, double size, const wxString& setName)
    : GridData(1), cells(std::move(gridCells)), name(setName) {
    cellSize = size > 0.0 ? size : 1.0;
    std::sort(cells.begin(), cells.end(), [](const GridCell& a, const GridCell& b) {
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    for (const GridCell& cell : cells) {
        AddPoint(cell.x, cell.y, {});
    }
    for (size_t i = 0; i < cells.size(); ++i) {
        byPlace.emplace(KeyOf(cells[i].x, cells[i].y), i);
        minimum = i == 0 ? cells[i].value : std::min(minimum, cells[i].value);
        maximum = i == 0 ? cells[i].value : std::max(maximum, cells[i].value);
    }
}

// Cells are named by their steps from the grid's corner, so that a place
// computed from another plot's position finds the same cell.
CellGridData::Key CellGridData::KeyOf(double x, double y) const {
    return {std::llround((x - xMin) / cellSize), std::llround((y - yMin) / cellSize)};
}

double CellGridData::ValueAt(const Key& key) const {
    const auto found = byPlace.find(key);
    return found == byPlace.end() ? 0.0 : cells[found->second].value;
}

double CellGridData::GetValueAt(double x, double y) {
    const Key key{static_cast<long long>(std::floor((x - xMin) / cellSize)),
                  static_cast<long long>(std::floor((y - yMin) / cellSize))};
    return ValueAt(key);
}

void CellGridData::SetFilter(const Query&) {
    view.reset();
}

bool CellGridData::InView(const GridCell& cell, const ViewFilter& filter) const {
    if (filter.kind == ViewFilter::InsidePositive) {
        return cell.value > 0.0 && cell.x > filter.xMin && cell.x < filter.xMax &&
               cell.y > filter.yMin && cell.y < filter.yMax;
    }
    return cell.x >= filter.xMin && cell.x <= filter.xMax && cell.y >= filter.yMin &&
           cell.y <= filter.yMax;
}

void CellGridData::First() {
    selected.clear();
    at = 0;
    for (const GridCell& cell : cells) {
        if (!view || InView(cell, *view)) {
            selected.push_back(&cell);
        }
    }
}

// The neighbours are the cells a step up (n), right (e), down (s) and left
// (w) in plot coordinates, as the index tables hand values on.
bool CellGridData::ReadLevelCells(const ViewFilter& filter, std::vector<LevelCell>& levels) {
    levels.clear();
    for (const GridCell& cell : cells) {
        if (!InView(cell, filter)) {
            continue;
        }
        const Key key = KeyOf(cell.x, cell.y);
        const LevelCell level{cell.x,
                              cell.y,
                              cell.value,
                              ValueAt({key.first, key.second + 1}),
                              ValueAt({key.first + 1, key.second}),
                              ValueAt({key.first, key.second - 1}),
                              ValueAt({key.first - 1, key.second})};
        const double c = level.count;
        if (c != level.n || c != level.e || c != level.s || c != level.w) {
            levels.push_back(level);
        }
    }
    return true;
}
