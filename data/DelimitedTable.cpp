#include "data/DelimitedTable.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "base/NumberText.h"
#include "base/Text.h"

namespace {

// How pandas names a column without a name when it reads a file back.
const char* const kPandasUnnamed = "Unnamed: 0";

}  // namespace

std::string FoldedName(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return name;
}

bool IsMissing(std::string_view text) {
    return text.empty() || text == "NA" || text == "NaN" || text == "nan";
}

DelimitedTable::DelimitedTable(const std::string& path) : path(path), reader(file) {}

bool DelimitedTable::Open(std::string& error) {
    if (!file.Open(path, error)) {
        return false;
    }
    const RecordReader::Kind kind = reader.Next();
    if (!file.Problem().empty()) {
        error = Where() + ": " + file.Problem();
        return false;
    }
    if ((kind != RecordReader::Kind::Fields && kind != RecordReader::Kind::Malformed) ||
        !reader.Separator()) {
        error = path +
                ", line 1: the header names no columns separated by commas, semicolons "
                "or tabs";
        return false;
    }
    const DelimitedTable::Fields& names = reader.Fields();
    std::set<std::string> seen;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string name(names[i]);
        // R's write.csv and pandas' to_csv put the row names there.
        if (i == 0 && (name.empty() || name == kPandasUnnamed)) {
            rowNumbers = name;
            continue;
        }
        if (name.empty()) {
            error = Where() + ": column " + std::to_string(i + 1) + " has no name";
            return false;
        }
        if (!seen.insert(FoldedName(name)).second) {
            error = Where() + ", field " + Quoted(name) + ": the column appears twice";
            return false;
        }
        header.push_back(name);
    }
    if (kind == RecordReader::Kind::Malformed) {
        error = Where() + ": " + reader.Problem();
        return false;
    }
    return true;
}

int DelimitedTable::Column(const std::string& name) const {
    const auto found = std::find(header.begin(), header.end(), name);
    return found == header.end() ? -1 : int(found - header.begin());
}

bool DelimitedTable::NeedColumns(const std::vector<const char*>& names, std::vector<int>& columns,
                                 std::string& error) const {
    for (const char* name : names) {
        columns.push_back(Column(name));
        if (columns.back() < 0) {
            std::string all;
            for (const char* each : names) {
                all += std::string(all.empty() ? "" : ", ") + each;
            }
            error = Where() + ": no column " + Quoted(name) + " (the header needs " + all + ")";
            return false;
        }
    }
    return true;
}

bool DelimitedTable::Next(Fields& fields, std::string& error) {
    const size_t skipped = rowNumbers ? 1 : 0;
    const size_t count = header.size() + skipped;
    while (true) {
        const RecordReader::Kind kind = reader.Next();
        // A cut-short file may end in a row that looks whole: its fault comes first.
        if (!file.Problem().empty()) {
            error = Where() + ": " + file.Problem();
            return false;
        }
        if (kind == RecordReader::Kind::End) {
            return false;
        }
        if (kind == RecordReader::Kind::Malformed) {
            error = Where() + ": " + reader.Problem();
            return false;
        }
        const Fields& all = reader.Fields();
        // Blank lines, often at the end of a file, hold no row.
        if (kind == RecordReader::Kind::Blank || (all.size() == 1 && all[0].empty())) {
            continue;
        }
        if (all.size() != count) {
            error = Where() + ": " + std::to_string(all.size()) + " fields, but the header has " +
                    std::to_string(count);
            error += all.size() < count
                         ? " (field " + Quoted(header[all.size() - skipped]) + " is missing)"
                         : "";
            return false;
        }
        if (skipped && !TakeRowNumber(all[0], error)) {
            return false;
        }
        fields.assign(all.begin() + skipped, all.end());
        return true;
    }
}

// Row numbers count from 0 (pandas) or 1 (R) without a gap; a first column
// without a name that holds anything else is refused as any such column is.
bool DelimitedTable::TakeRowNumber(std::string_view text, std::string& error) {
    long long number = -1;
    const char* end = text.data() + text.size();
    const auto [stop, code] = std::from_chars(text.data(), end, number);
    const bool isNumber = code == std::errc() && stop == end && !text.empty() && text[0] != '-';
    const bool expected = rowsRead == 0 ? number == 0 || number == 1 : number == lastRowNumber + 1;
    if (!isNumber || !expected) {
        error = Where(1L) + ": column 1 has no name" +
                (rowNumbers->empty() ? std::string()
                                     : " (pandas names such a column " + Quoted(*rowNumbers) + ")");
        return false;
    }
    firstRowNumber = rowsRead++ == 0 ? number : firstRowNumber;
    lastRowNumber = number;
    return true;
}

std::string DelimitedTable::RowNumbersWarning() const {
    if (!rowNumbers) {
        return std::string();
    }
    const std::string column = rowNumbers->empty() ? std::string("column 1, without a name,")
                                                   : "column 1, " + Quoted(*rowNumbers) + ",";
    if (rowsRead == 0) {
        return path + ": " + column + " is taken for row numbers and left out";
    }
    return path + ": " + column + " holds the row numbers " + std::to_string(firstRowNumber) +
           " to " + std::to_string(lastRowNumber) + " and is left out";
}

std::string DelimitedTable::Where(int column) const {
    return Where() + ", field " + Quoted(header[column]);
}

std::optional<double> DelimitedTable::Number(std::string_view text) const {
    // Spreadsheets that separate fields with semicolons write decimal commas.
    if (reader.Separator() == ';' && std::count(text.begin(), text.end(), ',') == 1 &&
        text.find('.') == std::string_view::npos) {
        std::string point(text);
        std::replace(point.begin(), point.end(), ',', '.');
        return ParseNumber(point);
    }
    return ParseNumber(text);
}

std::optional<double> DelimitedTable::Number(const Fields& fields, int column,
                                             std::string& error) const {
    const std::string_view text = fields[column];
    const std::optional<double> value = Number(text);
    if (!value) {
        error = Where(column) + ": " +
                (text.empty() ? std::string("empty, where a number belongs")
                              : Quoted(std::string(text)) + " is not a number");
    }
    return value;
}
