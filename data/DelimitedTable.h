// One delimited text file of the import (a grid or a stem table as a root
// model, a spreadsheet or R writes it), read row by row: the header's column
// names, then rows of as many fields, each problem told with the file, the
// line and the field.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/CsvReader.h"

// A column name as SQLite compares names: without regard to ASCII case.
std::string FoldedName(std::string name);

class DelimitedTable {
  public:
    explicit DelimitedTable(const std::string& path);

    // Reads the header; false with error when the file cannot be read or the
    // header names no columns, a column without a name or one twice.
    bool Open(std::string& error);
    const std::vector<std::string>& Header() const { return header; }
    // The position of a column, -1 when the header lacks it.
    int Column(const std::string& name) const;
    // The positions of the columns a table needs, in their order; false with
    // error naming the first one missing.
    bool NeedColumns(const std::vector<const char*>& names, std::vector<int>& columns,
                     std::string& error) const;
    // The next row with as many fields as the header; false at the end, or
    // on a problem (error is then set). Blank lines hold no row.
    bool Next(std::vector<std::string>& fields, std::string& error);

    const std::string& Path() const { return path; }
    // The line of the row last read.
    long Line() const { return reader.LineNumber(); }
    // "grid.csv, line 7", of the row last read or of another line; with a
    // column, followed by ", field \"uptake\"".
    std::string Where() const { return Where(Line()); }
    std::string Where(long line) const { return path + ", line " + std::to_string(line); }
    std::string Where(int column) const;

    // A field as a number, read with the file's decimal mark.
    std::optional<double> Number(const std::string& text) const;
    // The same, with error naming the field when it is no number.
    std::optional<double> Number(const std::vector<std::string>& fields, int column,
                                 std::string& error) const;

  private:
    std::string path;
    CsvReader reader;
    std::vector<std::string> header;
};
