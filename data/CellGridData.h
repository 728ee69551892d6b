// A gridded data set worked out in memory from other sets (the difference
// of two plots, say): its cells, and each cell's neighbours as an index
// table gives them, so that the renderers, the legend and the readout serve
// it as they serve a set of the file. Nothing of it is written anywhere.
#pragma once

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "data/GridData.h"

class CellGridData final : public GridData {
  public:
    // Cells on a regular grid of the given cell size, in any order.
    CellGridData(std::vector<GridCell> cells, double cellSize, const wxString& name);
    ~CellGridData() = default;

    double GetMaxValue() override { return maximum; }
    double GetMinValue() override { return minimum; }
    // The value of the cell whose square holds (x, y); 0 where none does.
    double GetValueAt(double x, double y) override;
    // The value of the cell with the corner (x, y), or the nearest corner
    // of the grid to it; 0 where there is none.
    double ValueAtCorner(double x, double y) const { return ValueAt(KeyOf(x, y)); }
    wxString GetName() override { return name; }
    void First() override;
    bool IsValid() override { return at < selected.size(); }
    void Next() override { ++at; }
    void Close() override { selected.clear(); }
    double GetValue() override { return IsValid() ? selected[at]->value : 0.0; }
    double GetX() override { return IsValid() ? selected[at]->x : 0.0; }
    double GetY() override { return IsValid() ? selected[at]->y : 0.0; }
    // There is no SQL to run: any other filter than a view's selects every cell.
    void SetFilter(const Query& filter) override;
    void ClearFilter() override { view.reset(); }
    void SetViewFilter(const ViewFilter& filter) override { view = filter; }
    bool ReadLevelCells(const ViewFilter& filter, std::vector<LevelCell>& cells) override;

    const std::vector<GridCell>& GetCells() const { return cells; }

  private:
    using Key = std::pair<long long, long long>;
    Key KeyOf(double x, double y) const;
    // The value of the cell at the key, 0 where there is none.
    double ValueAt(const Key& key) const;
    bool InView(const GridCell& cell, const ViewFilter& filter) const;

    std::vector<GridCell> cells;  // by y, then x
    std::map<Key, size_t> byPlace;
    wxString name;
    double minimum = 0.0;
    double maximum = 0.0;
    std::optional<ViewFilter> view;
    std::vector<const GridCell*> selected;
    size_t at = 0;
};
