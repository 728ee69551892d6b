#include "db/Row.h"

#include <sqlite3.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/NumberText.h"
#include "base/OutOfMemory.h"

namespace {

// One value: which member holds it is the column's kind.
union Cell {
    int integer;
    float real;
    unsigned textOffset;  // into the row's text buffer
};

// An unknown type code reads as an empty text, whatever the column holds.
const int kEmptyText = 0;

// A column is known by its origin, the table column it comes from. Through a
// view that renames its columns the origin is the hidden table's name, so a
// name the query gives (a view's, an alias) wins unless it is the origin
// written in another case; expressions have no origin and take their alias.
const char* ColumnNameOf(sqlite3_stmt* statement, int i) {
    const char* origin = sqlite3_column_origin_name(statement, i);
    const char* given = sqlite3_column_name(statement, i);
    if (!origin || (given && sqlite3_stricmp(origin, given) != 0)) {
        origin = given;
    }
    return origin ? origin : "";
}

int CellTypeOf(int sqliteType) {
    switch (sqliteType) {
        case SQLITE_INTEGER:
            return CellInteger;
        case SQLITE_FLOAT:
            return CellReal;
        default:  // text, blob and NULL are all read as text
            return CellText;
    }
}

int KindOf(int type) {
    switch (type) {
        case CellInteger:
        case CellReal:
        case CellText:
            return type;
        case 3:
            return CellText;
        default:
            return kEmptyText;
    }
}

float Narrow(double value) {
    if (value > FLT_MAX) {
        return INFINITY;
    }
    if (value < -FLT_MAX) {
        return -INFINITY;
    }
    return static_cast<float>(value);
}

// Truncation toward zero, held to the integer range.
int Truncate(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (value <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

// A stored text read as a number. A text that holds no number ("NA", "1,5")
// reads as 0, so that it counts as no value; SQLite's own reading would
// take the digits it starts with.
double TextNumber(const unsigned char* text) {
    const std::optional<double> number =
        text ? NumberInText(reinterpret_cast<const char*>(text)) : std::nullopt;
    return number ? *number : 0.0;
}

// The shortest text that reads back as the same single-precision value.
std::string RealText(float value) {
    char buffer[64];
    for (int precision = 1; precision <= 9; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, static_cast<double>(value));
        if (std::strtof(buffer, nullptr) == value) {
            break;
        }
    }
    return buffer;
}

}  // namespace

std::string ResultColumnName(sqlite3_stmt* statement, int column) {
    return ColumnNameOf(statement, column);
}

std::vector<ColumnInfo> ReadColumns(sqlite3_stmt* statement) {
    std::vector<ColumnInfo> columns;
    if (!statement) {
        return columns;
    }
    const int count = sqlite3_column_count(statement);
    try {
        columns.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            columns.push_back(
                {ColumnNameOf(statement, i), CellTypeOf(sqlite3_column_type(statement, i))});
        }
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
    return columns;
}

StoredValue StoredValueAt(sqlite3_stmt* statement, int column) {
    // One call into the statement instead of one per question: the value's
    // own accessors need no lock, and a statement is only ever stepped by
    // the one thread that works on its connection.
    return StoredValueOf(sqlite3_column_value(statement, column));
}

StoredValue StoredValueOf(sqlite3_value* stored) {
    StoredValue value;
    value.type = sqlite3_value_type(stored);
    switch (value.type) {
        case SQLITE_INTEGER:
            value.integer = sqlite3_value_int64(stored);
            break;
        case SQLITE_FLOAT:
            value.real = sqlite3_value_double(stored);
            break;
        case SQLITE_TEXT:
            value.text = sqlite3_value_text(stored);
            value.bytes = sqlite3_value_bytes(stored);
            break;
        case SQLITE_BLOB:
            value.text = static_cast<const unsigned char*>(sqlite3_value_blob(stored));
            value.bytes = sqlite3_value_bytes(stored);
            break;
        default:
            break;
    }
    return value;
}

int KindOfType(int sqliteType) {
    return CellTypeOf(sqliteType);
}

double ReadDouble(sqlite3_stmt* statement, unsigned column, int kind) {
    return ReadDouble(statement, column, kind, StoredValueAt(statement, static_cast<int>(column)));
}

double ReadDouble(sqlite3_stmt* statement, unsigned column, int kind, const StoredValue& value) {
    // SQLite's column readings are its value readings of the column's value.
    return ReadDouble(sqlite3_column_value(statement, static_cast<int>(column)), kind, value);
}

double ReadDouble(sqlite3_value* stored, int kind, const StoredValue& value) {
    // A text is read as the number it holds whatever the column's kind: a
    // number column may hold a text SQLite could not convert ("NA").
    if (kind != kEmptyText && value.type == SQLITE_TEXT) {
        const double number = TextNumber(value.text);
        return kind == CellInteger ? Truncate(number) : Narrow(number);
    }
    switch (kind) {
        case CellInteger:
            // SQLite's own 32-bit reading keeps the low bits of an integer.
            return value.type == SQLITE_INTEGER ? static_cast<int>(value.integer)
                                                : sqlite3_value_int(stored);
        case CellReal:
            if (value.type == SQLITE_FLOAT) {
                return Narrow(value.real);
            }
            return Narrow(value.type == SQLITE_INTEGER ? static_cast<double>(value.integer)
                                                       : sqlite3_value_double(stored));
        case CellText:
            return Narrow(TextNumber(sqlite3_value_text(stored)));
        default:
            return 0.0;  // an unknown type code reads as empty text
    }
}

// A number stored as the column's kind is read without the detour over
// every field of a stored value, as most of a grid's values are.
double ReadDouble(sqlite3_value* stored, int kind) {
    const int type = sqlite3_value_type(stored);
    if (type == SQLITE_FLOAT && kind == CellReal) {
        return Narrow(sqlite3_value_double(stored));
    }
    if (type == SQLITE_INTEGER && kind == CellInteger) {
        return static_cast<int>(sqlite3_value_int64(stored));
    }
    return ReadDouble(stored, kind, StoredValueOf(stored));
}

int ReadInt(sqlite3_stmt* statement, unsigned column, int kind) {
    const int i = static_cast<int>(column);
    if (kind != kEmptyText && sqlite3_column_type(statement, i) == SQLITE_TEXT) {
        return Truncate(TextNumber(sqlite3_column_text(statement, i)));
    }
    switch (kind) {
        case CellInteger:
            return sqlite3_column_int(statement, i);
        case CellReal:
            return Truncate(Narrow(sqlite3_column_double(statement, i)));
        case CellText:
            return Truncate(TextNumber(sqlite3_column_text(statement, i)));
        default:
            return 0;
    }
}

RowColumns::RowColumns(std::vector<ColumnInfo> columnList) : columns(std::move(columnList)) {
    kinds.reserve(columns.size());
    for (unsigned i = 0; i < columns.size(); ++i) {
        kinds.push_back(KindOf(columns[i].type));
        // A later column of the same name replaces the earlier one.
        byName[std::string_view(columns[i].name)] = i;
    }
    resolved.reserve(columns.size());
    for (const ColumnInfo& column : columns) {
        resolved.push_back(byName[std::string_view(column.name)]);
    }
}

int RowColumns::Find(const char* name) const {
    if (!name) {
        return -1;
    }
    auto found = byName.find(std::string_view(name));
    return found == byName.end() ? -1 : static_cast<int>(found->second);
}

struct Row::Body {
    std::shared_ptr<const RowColumns> columns;
    std::vector<Cell> cells;
    std::string texts;  // every text value, each ended by a NUL
    // Texts of numeric cells, made when first asked for; they live as long as the row.
    mutable std::unique_ptr<std::string[]> printed;
};

Row::Row() = default;

Row Row::FromStatement(sqlite3_stmt* statement, const std::vector<ColumnInfo>& columns) {
    return FromStatement(statement, std::make_shared<const RowColumns>(columns));
}

Row Row::FromStatement(sqlite3_stmt* statement, std::shared_ptr<const RowColumns> columns) {
    Row row;
    if (!statement || !columns) {
        return row;
    }
    try {
        auto body = std::make_shared<Body>();
        const unsigned count = columns->Count();
        body->cells.resize(count);
        for (unsigned i = 0; i < count; ++i) {
            Cell& cell = body->cells[i];
            const int at = static_cast<int>(i);
            const bool text = sqlite3_column_type(statement, at) == SQLITE_TEXT;
            switch (columns->Kind(i)) {
                case CellInteger:
                    cell.integer = text ? Truncate(TextNumber(sqlite3_column_text(statement, at)))
                                        : sqlite3_column_int(statement, at);
                    break;
                case CellReal:
                    cell.real = Narrow(text ? TextNumber(sqlite3_column_text(statement, at))
                                            : sqlite3_column_double(statement, at));
                    break;
                default: {
                    const unsigned char* text =
                        columns->Kind(i) == CellText
                            ? sqlite3_column_text(statement, static_cast<int>(i))
                            : nullptr;
                    cell.textOffset = static_cast<unsigned>(body->texts.size());
                    if (text) {
                        body->texts.append(reinterpret_cast<const char*>(text));
                    }
                    body->texts.push_back('\0');
                    break;
                }
            }
        }
        body->columns = std::move(columns);
        row.body = std::move(body);
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
    return row;
}

unsigned Row::ColumnCount() const {
    return body ? body->columns->Count() : 0;
}

int Row::CellFor(unsigned index) const {
    if (!body || index >= body->columns->Count()) {
        return -1;
    }
    return static_cast<int>(body->columns->Resolve(index));
}

const char* Row::StringAt(int cell) const {
    if (cell < 0) {
        return "";
    }
    const unsigned i = static_cast<unsigned>(cell);
    const int kind = body->columns->Kind(i);
    if (kind != CellInteger && kind != CellReal) {
        return body->texts.c_str() + body->cells[i].textOffset;
    }
    try {
        if (!body->printed) {
            body->printed.reset(new std::string[body->columns->Count()]);
        }
        std::string& text = body->printed[i];
        if (text.empty()) {
            if (kind == CellInteger) {
                text = std::to_string(body->cells[i].integer);
            } else {
                text = RealText(body->cells[i].real);
            }
        }
        return text.c_str();
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
}

double Row::DoubleAt(int cell) const {
    if (cell < 0) {
        return 0.0;
    }
    const unsigned i = static_cast<unsigned>(cell);
    switch (body->columns->Kind(i)) {
        case CellInteger:
            return body->cells[i].integer;
        case CellReal:
            return body->cells[i].real;
        default:
            return Narrow(TextNumber(reinterpret_cast<const unsigned char*>(
                body->texts.c_str() + body->cells[i].textOffset)));
    }
}

int Row::IntAt(int cell) const {
    if (cell < 0) {
        return 0;
    }
    const unsigned i = static_cast<unsigned>(cell);
    switch (body->columns->Kind(i)) {
        case CellInteger:
            return body->cells[i].integer;
        case CellReal:
            return Truncate(body->cells[i].real);
        default:
            return Truncate(TextNumber(reinterpret_cast<const unsigned char*>(
                body->texts.c_str() + body->cells[i].textOffset)));
    }
}

const char* Row::GetString(const char* name) const {
    return StringAt(body ? body->columns->Find(name) : -1);
}

const char* Row::GetString(unsigned index) const {
    return StringAt(CellFor(index));
}

double Row::GetDouble(const char* name) const {
    return DoubleAt(body ? body->columns->Find(name) : -1);
}

double Row::GetDouble(unsigned index) const {
    return DoubleAt(CellFor(index));
}

int Row::GetInt(const char* name) const {
    return IntAt(body ? body->columns->Find(name) : -1);
}

int Row::GetInt(unsigned index) const {
    return IntAt(CellFor(index));
}
