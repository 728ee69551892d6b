// A gridded data set: cells on a regular grid, each with x, y and one value,
// read through a forward cursor that callers can restrict with an SQL filter.
#pragma once

#include <wx/string.h>

#include <vector>

#include "db/Query.h"

// The cells a renderer asks for: those whose corner lies in the view, its
// edges included (the blocks), or strictly inside it and with a count above
// 0 (the clouds).
struct ViewFilter {
    enum Kind { EdgesIncluded, InsidePositive };
    Kind kind;
    double xMin;
    double yMin;
    double xMax;
    double yMax;
    // Set by a caller that draws nothing for a cell whose value is 0: a set
    // may then leave such cells out of its walk, the others in their order.
    // It changes no query, and cells of 0 may still come.
    bool zerosUnused = false;
};

// The SQL filter a view filter stands for, over the given position columns.
Query ViewFilterQuery(const ViewFilter& filter, const char* xColumn, const char* yColumn);

// A cell of an index table with its neighbours' values, as the level lines
// read them.
struct LevelCell {
    double x;
    double y;
    double count;
    double n;
    double e;
    double s;
    double w;
};

class GridData {
  public:
    explicit GridData(int valueColumnCount);

    virtual void AddColumn(const wxString& name);
    virtual void AddPoint(double x, double y, const std::vector<double>& values);
    virtual double GetMaxValue();
    virtual double GetMinValue();
    virtual double GetValueAt(double x, double y);
    virtual bool ContainsEither(double x1, double x2, double y1, double y2);
    virtual void Print();
    virtual wxString GetName();
    virtual void First();
    virtual bool IsValid();
    virtual void Next();
    virtual void Close();
    virtual double GetValue();
    virtual double GetX();
    virtual double GetY();
    virtual const char* GetXColumn();
    virtual const char* GetYColumn();
    virtual const char* GetTableName();
    virtual void SetFilter(const Query& filter);
    virtual void ClearFilter();
    // The same as SetFilter with the view filter's query; a set may answer
    // it without running the query, with the same cells in the same order.
    virtual void SetViewFilter(const ViewFilter& filter);
    // The rows the level-line query over the set's index table gives (the
    // cells of the view, edges included, whose count differs from a
    // neighbour's), in its order; false when the set can tell them only by
    // running it.
    virtual bool ReadLevelCells(const ViewFilter& view, std::vector<LevelCell>& cells);

    double GetXMin() const { return xMin; }
    double GetXMax() const { return xMax; }
    double GetYMin() const { return yMin; }
    double GetYMax() const { return yMax; }
    double GetCellSize() const { return cellSize; }
    int GetValueColumnCount() const { return valueColumnCount; }
    void SetDefaultValue(double value) { defaultValue = value; }

  protected:
    // Data sets are destroyed through their concrete type.
    ~GridData() = default;

    double defaultValue = 0.0;
    double xMin = 100000.0;
    double xMax = -100000.0;
    double yMin = 100000.0;
    double yMax = -100000.0;
    int valueColumnCount;
    double cellSize = 1.0;
};

// One cell of a set: its corner and its value.
struct GridCell {
    double x;
    double y;
    double value;
};

// Every cell of the set, read through its cursor (from the cells it holds
// in memory, where it holds them), in the cursor's order.
std::vector<GridCell> AllCells(GridData& set);
// The set's values that are not 0, ascending.
std::vector<double> SortedNonZeroValues(GridData& set);

// The checksum that names an index table after its source query: the sum of
// each byte (as a signed char) times its 1-based position, wrapping at 32 bits.
int QueryChecksum(const char* text);
