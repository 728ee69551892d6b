// The values of one result row, by column name or index. Copies share one body.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct sqlite3_stmt;

enum CellType { CellInteger = 1, CellReal = 2, CellText = 4 };

struct ColumnInfo {
    std::string name;
    int type;  // CellType; 3 is read as text
};

class Row {
  public:
    Row();  // empty: no cells, column count 0
    virtual ~Row() = default;

    // Reads the current row of a statement with the column types fixed by the result.
    static Row FromStatement(sqlite3_stmt* statement, const std::vector<ColumnInfo>& columns);

    const char* GetString(const char* name) const;
    const char* GetString(unsigned index) const;
    const char* GetString(int index) const { return GetString(static_cast<unsigned>(index)); }
    double GetDouble(const char* name) const;
    double GetDouble(unsigned index) const;
    double GetDouble(int index) const { return GetDouble(static_cast<unsigned>(index)); }
    int GetInt(const char* name) const;
    int GetInt(unsigned index) const;
    int GetInt(int index) const { return GetInt(static_cast<unsigned>(index)); }
    unsigned ColumnCount() const;

  private:
    struct Body;
    std::shared_ptr<const Body> body;
};
