// One delimited text file of the import (a grid or a stem table as a root
// model, a spreadsheet, R or pandas writes it, plain or gzip-compressed),
// read row by row: the header's column names, then rows of as many fields,
// each problem told with the file, the line and the field. A first column
// without a name that holds the row numbers, as R and pandas write them, is
// left out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/RecordReader.h"
#include "db/TextFile.h"

// A column name as SQLite compares names: without regard to ASCII case.
std::string FoldedName(std::string name);

// A value that R or pandas writes for a missing one: NA, NaN, nan or nothing.
bool IsMissing(std::string_view text);

class DelimitedTable {
  public:
    // The fields of a row, valid until the next row is read.
    using Fields = std::vector<std::string_view>;

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
    bool Next(Fields& fields, std::string& error);
    // Once every row is read: the warning that a column of row numbers was
    // left out, or empty.
    std::string RowNumbersWarning() const;

    const std::string& Path() const { return path; }
    // The line of the row last read.
    long Line() const { return reader.Line(); }
    // "grid.csv, line 7", of the row last read or of another line; with a
    // column, followed by ", field \"uptake\"".
    std::string Where() const { return Where(Line()); }
    std::string Where(long line) const { return path + ", line " + std::to_string(line); }
    std::string Where(int column) const;

    // A field as a number, read with the file's decimal mark.
    std::optional<double> Number(std::string_view text) const;
    // The same, with error naming the field when it is no number.
    std::optional<double> Number(const Fields& fields, int column, std::string& error) const;

    // How far reading has come through the file as it lies on disk, and its size.
    uint64_t Position() const { return file.Position(); }
    uint64_t Size() const { return file.Size(); }

  private:
    std::string path;
    TextFile file;
    RecordReader reader;
    std::vector<std::string> header;
    // The first column while it may be one of row numbers: its name, and
    // the numbers of the first row and of the row last read.
    std::optional<std::string> rowNumbers;
    long long firstRowNumber = 0;
    long long lastRowNumber = -1;
    size_t rowsRead = 0;

    bool TakeRowNumber(std::string_view text, std::string& error);
};
