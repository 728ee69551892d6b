#include "db/TableState.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/NumberText.h"
#include "db/Row.h"

namespace {

uint64_t HashBytes(const void* data, size_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    uint64_t h = MixBits(size + 0x9E3779B97F4A7C15ULL);
    size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        h = MixBits(h ^ word);
    }
    uint64_t tail = 0;
    std::memcpy(&tail, bytes + at, size - at);
    return MixBits(h ^ tail);
}

// One value with its storage type (1, 1.0 and '1' differ), as one word for
// the column's chain of mixes.
uint64_t ValueWord(const StoredValue& value) {
    const uint64_t type = static_cast<uint64_t>(value.type) * 0x9E3779B97F4A7C15ULL;
    uint64_t bits = 0;
    switch (value.type) {
        case SQLITE_INTEGER:
            std::memcpy(&bits, &value.integer, sizeof bits);
            return bits ^ type;
        case SQLITE_FLOAT:
            std::memcpy(&bits, &value.real, sizeof bits);
            return bits ^ type;
        case SQLITE_TEXT:
        case SQLITE_BLOB:
            return HashBytes(value.text, static_cast<size_t>(value.bytes)) ^ type;
        default:
            return type;
    }
}

// A text as a message quotes it: long ones cut short, never inside a character.
std::string Shortened(const char* text) {
    const size_t kLongest = 40;
    std::string shown = text;
    if (shown.size() > kLongest) {
        size_t cut = kLongest;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        shown = shown.substr(0, cut) + "...";
    }
    return shown;
}

const ColumnState* FindColumn(const TableState& state, const std::string& name) {
    for (const ColumnState& column : state.columns) {
        if (sqlite3_stricmp(column.name.c_str(), name.c_str()) == 0) {
            return &column;
        }
    }
    return nullptr;
}

}  // namespace

SourceSignature SignatureOf(const TableState& state, const std::vector<std::string>& columns) {
    SourceSignature signature;
    signature.rows = state.rows;
    auto add = [&signature](const std::string& name, const ColumnState* column) {
        signature.names = MixBits(signature.names ^ HashBytes(name.data(), name.size()));
        // A column the table lacks stands apart from any it has.
        signature.values = MixBits(signature.values ^ (column ? column->values : ~0ULL));
    };
    if (columns.empty()) {
        for (const ColumnState& column : state.columns) {
            add(column.name, &column);
        }
    }
    for (const std::string& name : columns) {
        const ColumnState* column = FindColumn(state, name);
        add(column ? column->name : name, column);
    }
    return signature;
}

std::string DescribeChange(const SourceSignature& built, const SourceSignature& now,
                           const std::string& table) {
    if (built.names != now.names) {
        return "columns of " + table + " were added, removed or renamed since it was built";
    }
    if (built.rows != now.rows) {
        return "rows were added to or removed from " + table + " since it was built";
    }
    if (built.values != now.values) {
        return "values in " + table + " have changed since it was built";
    }
    return std::string();
}

// Chained through it, hashes depend on every value and on their order.
uint64_t MixBits(uint64_t h) {
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBULL;
    return h ^ (h >> 31);
}

std::string HashText(uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

uint64_t HashFromText(const char* text) {
    return text ? std::strtoull(text, nullptr, 16) : 0;
}

TableScan::TableScan(sqlite3_stmt* statement) {
    const int count = statement ? sqlite3_column_count(statement) : 0;
    for (int i = 0; i < count; ++i) {
        ColumnState column;
        column.name = ResultColumnName(statement, i);
        state.columns.push_back(column);
    }
}

void TableScan::AddRow(sqlite3_stmt* statement, std::vector<StoredValue>* values) {
    StartRow();
    if (values) {
        values->resize(state.columns.size());
    }
    for (size_t i = 0; i < state.columns.size(); ++i) {
        const StoredValue value = StoredValueAt(statement, static_cast<int>(i));
        AddValue(i, value);
        if (values) {
            (*values)[i] = value;
        }
    }
}

void TableScan::AddValue(size_t column, const StoredValue& value) {
    ColumnState& kept = state.columns[column];
    kept.values = MixBits(kept.values ^ ValueWord(value));
    if (value.type == SQLITE_TEXT && kept.textRow == 0) {
        const char* text = value.text ? reinterpret_cast<const char*>(value.text) : "";
        if (!NumberInText(text)) {
            kept.textRow = state.rows;
            kept.text = Shortened(text);
        }
    }
}
