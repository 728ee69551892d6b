#include "data/DelimitedTable.h"

#include <algorithm>
#include <set>

#include "base/NumberText.h"
#include "base/PendingFile.h"
#include "base/Text.h"

std::string FoldedName(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return name;
}

DelimitedTable::DelimitedTable(const std::string& path)
    : path(path), reader(wxString::FromUTF8(path.c_str()), wxString(), false, CsvDialect::Quoted) {}

bool DelimitedTable::Open(std::string& error) {
    if (!CheckReadableFile(path, error)) {
        return false;
    }
    if (!reader.IsUsable() || reader.AtEnd()) {
        error = path +
                ", line 1: the header names no columns separated by commas, semicolons "
                "or tabs";
        return false;
    }
    const CsvRow row = reader.ReadRow();
    std::set<std::string> seen;
    for (const wxString& token : row.Tokens()) {
        header.push_back(Utf8(token));
        if (header.back().empty()) {
            error = Where() + ": column " + std::to_string(header.size()) + " has no name";
            return false;
        }
        if (!seen.insert(FoldedName(header.back())).second) {
            error = Where() + ", field " + Quoted(header.back()) + ": the column appears twice";
            return false;
        }
    }
    if (!reader.RowProblem().empty()) {
        error = Where() + ": " + Utf8(reader.RowProblem());
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

bool DelimitedTable::Next(std::vector<std::string>& fields, std::string& error) {
    while (!reader.AtEnd()) {
        const CsvRow row = reader.ReadRow();
        if (!reader.RowProblem().empty()) {
            error = Where() + ": " + Utf8(reader.RowProblem());
            return false;
        }
        // Blank lines, often at the end of a file, hold no row.
        if (row.IsNull() || (row.Count() == 1 && row.Field(0).empty())) {
            continue;
        }
        if (row.Count() != header.size()) {
            error = Where() + ": " + std::to_string(row.Count()) + " fields, but the header has " +
                    std::to_string(header.size());
            error += row.Count() < header.size()
                         ? " (field " + Quoted(header[row.Count()]) + " is missing)"
                         : "";
            return false;
        }
        fields.clear();
        for (const wxString& token : row.Tokens()) {
            fields.push_back(Utf8(token));
        }
        return true;
    }
    return false;
}

std::string DelimitedTable::Where(int column) const {
    return Where() + ", field " + Quoted(header[column]);
}

std::optional<double> DelimitedTable::Number(const std::string& field) const {
    std::string text = field;
    // Spreadsheets that separate fields with semicolons write decimal commas.
    if (reader.Separators() == ";" && std::count(text.begin(), text.end(), ',') == 1 &&
        text.find('.') == std::string::npos) {
        std::replace(text.begin(), text.end(), ',', '.');
    }
    return ParseNumber(text);
}

std::optional<double> DelimitedTable::Number(const std::vector<std::string>& fields, int column,
                                             std::string& error) const {
    const std::string& text = fields[column];
    const std::optional<double> value = Number(text);
    if (!value) {
        error = Where(column) + ": " +
                (text.empty() ? std::string("empty, where a number belongs")
                              : Quoted(fields[column]) + " is not a number");
    }
    return value;
}
