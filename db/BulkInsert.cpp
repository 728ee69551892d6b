#include "db/BulkInsert.h"

#include <sqlite3.h>

#include <new>
#include <string>

#include "base/OutOfMemory.h"
#include "db/Query.h"
#include "db/Statement.h"

namespace {

// The rows are read through an eponymous virtual table of this name, which
// exists on the connection only while the statement runs.
const char* const kFeedName = "quenvar_bulk_rows";

struct Feed {
    int columns;
    size_t rows;
    const BulkInsert::RowFiller* fill;
};

struct FeedTable {
    sqlite3_vtab base;  // first, as SQLite expects
    Feed* feed;
};

struct FeedCursor {
    sqlite3_vtab_cursor base;  // first, as SQLite expects
    Feed* feed;
    size_t row;
    BulkInsert::Values values;
};

int Connect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** table, char**) {
    Feed* feed = static_cast<Feed*>(aux);
    std::string schema = "CREATE TABLE x(";
    for (int i = 0; i < feed->columns; ++i) {
        schema += (i ? ", c" : "c") + std::to_string(i);
    }
    schema += ")";
    const int code = sqlite3_declare_vtab(db, schema.c_str());
    if (code != SQLITE_OK) {
        return code;
    }
    FeedTable* created = new (std::nothrow) FeedTable{};
    if (!created) {
        return SQLITE_NOMEM;
    }
    created->feed = feed;
    *table = &created->base;
    return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* table) {
    delete reinterpret_cast<FeedTable*>(table);
    return SQLITE_OK;
}

int BestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    info->estimatedCost = 1.0;
    return SQLITE_OK;
}

int Open(sqlite3_vtab* table, sqlite3_vtab_cursor** cursor) {
    FeedCursor* opened = new (std::nothrow) FeedCursor{};
    if (!opened) {
        return SQLITE_NOMEM;
    }
    opened->feed = reinterpret_cast<FeedTable*>(table)->feed;
    *cursor = &opened->base;
    return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cursor) {
    delete reinterpret_cast<FeedCursor*>(cursor);
    return SQLITE_OK;
}

FeedCursor* CursorOf(sqlite3_vtab_cursor* cursor) {
    return reinterpret_cast<FeedCursor*>(cursor);
}

void FillCurrent(FeedCursor* cursor) {
    if (cursor->row < cursor->feed->rows) {
        try {
            (*cursor->feed->fill)(cursor->row, cursor->values);
        } catch (const std::bad_alloc&) {
            OutOfMemory();
        }
    }
}

int Filter(sqlite3_vtab_cursor* cursor, int, const char*, int, sqlite3_value**) {
    FeedCursor* feedCursor = CursorOf(cursor);
    feedCursor->values.Reset(feedCursor->feed->columns);
    feedCursor->row = 0;
    FillCurrent(feedCursor);
    return SQLITE_OK;
}

int Next(sqlite3_vtab_cursor* cursor) {
    ++CursorOf(cursor)->row;
    FillCurrent(CursorOf(cursor));
    return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* cursor) {
    return CursorOf(cursor)->row >= CursorOf(cursor)->feed->rows;
}

int Column(sqlite3_vtab_cursor* cursor, sqlite3_context* context, int column) {
    CursorOf(cursor)->values.Give(column, context);
    return SQLITE_OK;
}

int Rowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* rowid) {
    *rowid = static_cast<sqlite3_int64>(CursorOf(cursor)->row) + 1;
    return SQLITE_OK;
}

// Eponymous only (no xCreate): the table needs no CREATE VIRTUAL TABLE and
// nothing of it is ever written to the file.
const sqlite3_module kFeedModule = {
    0,       nullptr, Connect, BestIndex, Disconnect, nullptr, Open,    Close,
    Filter,  Next,    Eof,     Column,    Rowid,      nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr,   nullptr,    nullptr, nullptr, nullptr,
};

}  // namespace

void BulkInsert::Values::Reset(int columns) {
    cells.assign(static_cast<size_t>(columns), Cell());
}

void BulkInsert::Values::SetDouble(int column, double value) {
    Cell& cell = cells[static_cast<size_t>(column)];
    cell.kind = Cell::Real;
    cell.real = value;
}

void BulkInsert::Values::SetInt(int column, int value) {
    Cell& cell = cells[static_cast<size_t>(column)];
    cell.kind = Cell::Integer;
    cell.integer = value;
}

void BulkInsert::Values::SetText(int column, const char* text) {
    Cell& cell = cells[static_cast<size_t>(column)];
    cell.kind = Cell::Text;
    cell.text = text;
}

void BulkInsert::Values::Give(int column, sqlite3_context* context) const {
    if (column < 0 || static_cast<size_t>(column) >= cells.size()) {
        sqlite3_result_null(context);
        return;
    }
    const Cell& cell = cells[static_cast<size_t>(column)];
    switch (cell.kind) {
        case Cell::Real:
            sqlite3_result_double(context, cell.real);
            break;
        case Cell::Integer:
            sqlite3_result_int(context, cell.integer);
            break;
        case Cell::Text:
            sqlite3_result_text(context, cell.text.c_str(), static_cast<int>(cell.text.size()),
                                SQLITE_TRANSIENT);
            break;
    }
}

int BulkInsert::Run(Database& database, const std::string& table, int columns, size_t rows,
                    const RowFiller& fill) {
    const std::shared_ptr<Connection> connection = database.GetConnection();
    sqlite3* handle = connection ? connection->Handle() : nullptr;
    if (!handle || columns < 1) {
        return 0;
    }
    Feed feed{columns, rows, &fill};
    if (sqlite3_create_module_v2(handle, kFeedName, &kFeedModule, &feed, nullptr) != SQLITE_OK) {
        return 0;
    }
    int inserted = 0;
    {
        Statement insert(database,
                         Query("INSERT INTO %s SELECT * FROM %s", table.c_str(), kFeedName).Text());
        if (insert.Execute()) {
            inserted = sqlite3_changes(handle);
        }
    }
    // Dropping the module drops its table too.
    sqlite3_create_module_v2(handle, kFeedName, nullptr, nullptr, nullptr);
    return inserted;
}
