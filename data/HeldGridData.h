// A grid data set over cells worked out in memory from grid (the dominant
// tree of each cell, a group's sum) instead of an index table: derived
// values are never written into the user's file. Its cells stand and read
// as an index table would store them, so the renderers, the legend and the
// readout serve it as they serve those sets. Each cell carries a tag of its
// maker's (which tree or group it stands for).
#pragma once

#include <cstdint>
#include <vector>

#include "data/GridData.h"

class HeldGridData final : public GridData {
  public:
    struct Cell {
        double x;  // the position as read from grid
        double y;
        float value;
        uint16_t tag;
    };

    // withLevels: also work out each cell's neighbours' values, for the level lines.
    HeldGridData(std::vector<Cell> cells, double cellSize, bool withLevels);
    ~HeldGridData() = default;

    double GetMaxValue() override { return maxValue; }
    double GetMinValue() override { return minValue; }
    double GetValueAt(double x, double y) override;
    wxString GetName() override { return "Held grid"; }
    void First() override;
    bool IsValid() override { return at < selected.size(); }
    void Next() override { ++at; }
    void Close() override;
    double GetValue() override;
    double GetX() override;
    double GetY() override;
    const char* GetXColumn() override { return "x_coord"; }
    const char* GetYColumn() override { return "y_coord"; }
    // Only view filters select cells; any other filter selects them all.
    void SetFilter(const Query& filter) override;
    void SetViewFilter(const ViewFilter& view) override;
    void ClearFilter() override { filtered = false; }
    bool ReadLevelCells(const ViewFilter& view, std::vector<LevelCell>& cells) override;

    // The tag of the cell the cursor stands on.
    int GetTag() const;
    // The cell whose square holds (x, y), chosen as the readout chooses
    // from an index table; null when none does.
    const Cell* Holding(double x, double y) const;
    // The position as an index table gives it back.
    double ReadX(const Cell& cell) const { return static_cast<float>(cell.x); }
    double ReadY(const Cell& cell) const { return static_cast<float>(cell.y); }
    // Every cell, by y (stored), then in the order given.
    const std::vector<Cell>& GetCells() const { return cells; }
    // How many cells bear each tag, from 0 to the greatest.
    const std::vector<size_t>& TagCounts() const { return tagCounts; }

  private:
    struct Levels {
        float n;
        float e;
        float s;
        float w;
        bool differs;
    };

    void WorkOutLevels();
    static ViewFilter AsRead(const ViewFilter& filter);
    void Select(const ViewFilter& view, bool levelsOnly);

    std::vector<Cell> cells;  // positions as an index table stores them
    std::vector<Levels> levels;
    std::vector<size_t> tagCounts;
    double minValue = 100000.0;
    double maxValue = -100000.0;
    bool filtered = false;
    ViewFilter view{};
    std::vector<const Cell*> selected;
    size_t at = 0;
};
