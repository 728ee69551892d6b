// The values of one result row, by column name or index. Copies share one body.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3_stmt;
struct sqlite3_value;

enum CellType { CellInteger = 1, CellReal = 2, CellText = 4 };

struct ColumnInfo {
    std::string name;
    int type;  // CellType; 3 is read as text
};

// The column list of a result, shared by every row read from it so that a
// row costs one value per column and nothing more.
class RowColumns {
  public:
    explicit RowColumns(std::vector<ColumnInfo> columns);
    RowColumns(const RowColumns&) = delete;
    RowColumns& operator=(const RowColumns&) = delete;

    const std::vector<ColumnInfo>& Columns() const { return columns; }
    unsigned Count() const { return static_cast<unsigned>(columns.size()); }
    // The index whose value a name reads: the last column of that name, or -1.
    int Find(const char* name) const;
    // The index whose value an index reads (a later column of the same name wins).
    unsigned Resolve(unsigned index) const { return resolved[index]; }
    // CellInteger, CellReal, CellText, or 0 for a type code that reads as empty text.
    int Kind(unsigned index) const { return kinds[index]; }

  private:
    std::vector<ColumnInfo> columns;
    std::vector<int> kinds;
    std::vector<unsigned> resolved;
    // Keys view the names held in `columns`, which never change after construction.
    std::unordered_map<std::string_view, unsigned> byName;
};

// The name a result column is known by: the table column it comes from,
// unless the query gives it another name.
std::string ResultColumnName(sqlite3_stmt* statement, int column);

// The column list of a statement standing on its first row: names (the
// origin column's, else the expression's) and that row's types.
std::vector<ColumnInfo> ReadColumns(sqlite3_stmt* statement);

// One value of the statement's current row, read as a Row reads it: the
// column's kind (RowColumns::Kind) decides the conversion, and reals carry
// single precision.
double ReadDouble(sqlite3_stmt* statement, unsigned column, int kind);
int ReadInt(sqlite3_stmt* statement, unsigned column, int kind);

// One value of a statement's current row as SQLite stores it, fetched once.
struct StoredValue {
    int type = 0;  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL
    long long integer = 0;
    double real = 0.0;
    const unsigned char* text = nullptr;  // text and blob bytes, until the next step
    int bytes = 0;
};
StoredValue StoredValueAt(sqlite3_stmt* statement, int column);
StoredValue StoredValueOf(sqlite3_value* stored);
// The same reading as ReadDouble, of a value already fetched: for passes
// that look at every value for more than its number.
double ReadDouble(sqlite3_stmt* statement, unsigned column, int kind, const StoredValue& value);
// The same of a value SQLite hands to a function (stored: that value).
double ReadDouble(sqlite3_value* stored, int kind, const StoredValue& value);
// The same, fetching the value itself: for passes that want only the number.
double ReadDouble(sqlite3_value* stored, int kind);
// The kind (CellInteger, CellReal or CellText) a column takes from the
// storage type of its value in a result's first row.
int KindOfType(int sqliteType);

class Row {
  public:
    Row();  // empty: no cells, column count 0
    virtual ~Row() = default;

    // Reads the current row of a statement with the column types fixed by the result.
    static Row FromStatement(sqlite3_stmt* statement, const std::vector<ColumnInfo>& columns);
    static Row FromStatement(sqlite3_stmt* statement, std::shared_ptr<const RowColumns> columns);

    // A missing name or an index past the last column gives "", 0.0 or 0.
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

    // The cell a column index reads, or -1 when there is none.
    int CellFor(unsigned index) const;
    const char* StringAt(int cell) const;
    double DoubleAt(int cell) const;
    int IntAt(int cell) const;
};
