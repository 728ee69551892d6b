#include "db/Result.h"

#include <sqlite3.h>

#include <new>

#include "app/Log.h"
#include "app/OutOfMemory.h"

namespace {

const int kRowReady = SQLITE_ROW;
const int kClosed = 1;

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

const std::vector<ColumnInfo> kNoColumns;

// A column is known by its origin, the table column it comes from. Through a
// view that renames its columns the origin is the hidden table's name, so a
// name the query gives (a view's, an alias) wins unless it is the origin
// written in another case; expressions have no origin and take their alias.
const char* ColumnName(sqlite3_stmt* statement, int i) {
    const char* origin = sqlite3_column_origin_name(statement, i);
    const char* given = sqlite3_column_name(statement, i);
    if (!origin || (given && sqlite3_stricmp(origin, given) != 0)) {
        origin = given;
    }
    return origin ? origin : "";
}

}  // namespace

struct Result::Body {
    sqlite3_stmt* statement = nullptr;
    int rowCount = 0;
    int columnCount = 0;
    int lastStep = 0;
    ResultStatus status = ResultStatus::Unset;
    std::shared_ptr<const RowColumns> columns;

    ~Body() { sqlite3_finalize(statement); }
};

Result::Result() {
    try {
        body = std::make_shared<Body>();
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
}

Result::Result(sqlite3_stmt* statement, int rowCount, ResultStatus status) : Result() {
    body->statement = statement;
    body->rowCount = rowCount;
    body->status = status;
    if (rowCount == 0 || !statement) {
        return;
    }
    Rewind();
    body->columnCount = sqlite3_column_count(statement);
    try {
        std::vector<ColumnInfo> columns;
        columns.reserve(static_cast<size_t>(body->columnCount));
        for (int i = 0; i < body->columnCount; ++i) {
            columns.push_back(
                {ColumnName(statement, i), CellTypeOf(sqlite3_column_type(statement, i))});
        }
        body->columns = std::make_shared<const RowColumns>(std::move(columns));
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
}

ResultStatus Result::Status() const {
    return body->status;
}

bool Result::HasRow() const {
    return body->status == ResultStatus::HasRows && body->lastStep == kRowReady;
}

Row Result::NextRow() {
    if (!HasRow() || !body->columns) {
        return Row();
    }
    Row row = Row::FromStatement(body->statement, body->columns);
    body->lastStep = sqlite3_step(body->statement);
    if (body->lastStep != SQLITE_ROW && body->lastStep != SQLITE_DONE) {
        // A walk cut short (a damaged page, a lock) must not pass for the end of the rows.
        sqlite3* handle = sqlite3_db_handle(body->statement);
        Log(LOG_ERROR, "Error running SQL query. (%d: %s)", body->lastStep, sqlite3_errmsg(handle));
    }
    return row;
}

void Result::Rewind() {
    if (!body->statement) {
        return;
    }
    sqlite3_reset(body->statement);
    body->lastStep = sqlite3_step(body->statement);
}

void Result::Close() {
    sqlite3_finalize(body->statement);
    body->statement = nullptr;
    body->lastStep = kClosed;
}

int Result::RowCount() const {
    return body->rowCount;
}

int Result::ColumnCount() const {
    return body->columnCount;
}

const std::vector<ColumnInfo>& Result::Columns() const {
    return body->columns ? body->columns->Columns() : kNoColumns;
}
