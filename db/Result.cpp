#include "db/Result.h"

#include <sqlite3.h>

#include <new>

#include "base/Log.h"
#include "base/OutOfMemory.h"

namespace {

const int kRowReady = SQLITE_ROW;
const int kClosed = 1;

const std::vector<ColumnInfo> kNoColumns;

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
        body->columns = std::make_shared<const RowColumns>(ReadColumns(statement));
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
