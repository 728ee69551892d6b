// The stem table's values as it holds them, read once when a plot is opened
// so that the inspector and the grouping of trees never wait for the file: a
// value is a text ("FASY"), a number, or missing (-1, the plot files' mark,
// or no value at all). GetStemValue goes on reading every attribute as a
// number for the callers that want one.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "db/Database.h"
#include "db/Row.h"

struct StemValue {
    enum class Kind { Missing, Number, Text };
    Kind kind = Kind::Missing;
    double number = 0.0;  // as stored
    std::string text;     // UTF-8, as stored
};

// Numbers stored as text count as the numbers they hold, as everywhere the
// program reads the stem table.
StemValue StemValueOf(const StoredValue& stored);

// As the inspector lists it: a number with "%f" (in single precision, as
// GetStemValue reads it), a text as it is, a missing value as "missing".
std::string AttributeText(const StemValue& value);

// The text that names the value, as group names use it: the shortest that
// reads back as the number, or the text itself; empty when missing.
std::string ValueName(const StemValue& value);

class StemAttributes {
  public:
    // Every row of the stem table; none when it cannot be read.
    static StemAttributes Read(Database database);

    // Every column of the table, in table order.
    const std::vector<std::string>& Columns() const { return columns; }
    // The value of the first stem of the label in the column, found by name
    // as a row finds it (the last column of that name); missing for a label
    // or column the table lacks.
    StemValue Value(const std::string& label, const std::string& column) const;

  private:
    std::vector<std::string> columns;
    std::vector<std::vector<StemValue>> rows;
    std::map<std::string, size_t> firstRow;  // of each label
};
