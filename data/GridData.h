// A gridded data set: cells on a regular grid, each with x, y and one value,
// read through a forward cursor that callers can restrict with an SQL filter.
#pragma once

#include <wx/string.h>

#include <vector>

#include "db/Query.h"

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

// The checksum that names an index table after its source query: the sum of
// each byte (as a signed char) times its 1-based position, wrapping at 32 bits.
int QueryChecksum(const char* text);
