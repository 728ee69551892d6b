#include "data/StemAttributes.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdio>

#include "base/NumberText.h"
#include "db/Statement.h"

namespace {

// The plot files' mark of a missing attribute, compared as GetStemValue reads it.
bool IsMissingMark(double number) {
    return static_cast<float>(number) == -1.0f;
}

const char* const kLabelColumn = "Tree";

}  // namespace

StemValue StemValueOf(const StoredValue& stored) {
    StemValue value;
    if (stored.type == SQLITE_INTEGER || stored.type == SQLITE_FLOAT) {
        value.number =
            stored.type == SQLITE_INTEGER ? static_cast<double>(stored.integer) : stored.real;
        value.kind =
            IsMissingMark(value.number) ? StemValue::Kind::Missing : StemValue::Kind::Number;
        return value;
    }
    if (stored.type != SQLITE_TEXT && stored.type != SQLITE_BLOB) {
        return value;  // NULL
    }
    if (stored.text) {
        value.text.assign(reinterpret_cast<const char*>(stored.text), size_t(stored.bytes));
    }
    if (const std::optional<double> number = NumberInText(value.text)) {
        value.number = *number;
        value.kind = IsMissingMark(*number) ? StemValue::Kind::Missing : StemValue::Kind::Number;
    } else {
        value.kind = StemValue::Kind::Text;
    }
    return value;
}

std::string AttributeText(const StemValue& value) {
    switch (value.kind) {
        case StemValue::Kind::Number: {
            char text[64];
            std::snprintf(text, sizeof text, "%f", double(static_cast<float>(value.number)));
            return text;
        }
        case StemValue::Kind::Text:
            return value.text;
        case StemValue::Kind::Missing:
            break;
    }
    return "missing";
}

std::string ValueName(const StemValue& value) {
    if (value.kind != StemValue::Kind::Number) {
        return value.kind == StemValue::Kind::Text ? value.text : std::string();
    }
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value.number + 0.0);
    return std::string(text, result.ptr);
}

StemAttributes StemAttributes::Read(Database database) {
    StemAttributes table;
    Statement rows(database, "SELECT * FROM stem");
    sqlite3_stmt* handle = rows.Handle();
    const int count = handle ? sqlite3_column_count(handle) : 0;
    for (int i = 0; i < count; ++i) {
        table.columns.push_back(ResultColumnName(handle, i));
    }
    int labelAt = -1;
    for (bool first = true; rows.Step(); first = false) {
        if (first) {
            labelAt = rows.Find(kLabelColumn);
        }
        std::vector<StemValue> row;
        row.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            row.push_back(StemValueOf(StoredValueAt(handle, i)));
        }
        const unsigned char* label = labelAt >= 0 ? sqlite3_column_text(handle, labelAt) : nullptr;
        table.firstRow.emplace(label ? reinterpret_cast<const char*>(label) : "",
                               table.rows.size());
        table.rows.push_back(std::move(row));
    }
    return table;
}

StemValue StemAttributes::Value(const std::string& label, const std::string& column) const {
    const auto row = firstRow.find(label);
    if (row == firstRow.end()) {
        return StemValue();
    }
    for (size_t i = columns.size(); i-- > 0;) {
        if (columns[i] == column) {
            return rows[row->second][i];
        }
    }
    return StemValue();
}
