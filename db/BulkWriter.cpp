#include "db/BulkWriter.h"

#include <sqlite3.h>

BulkWriter::BulkWriter(const std::string& path) {
    // One thread writes through the connection, so SQLite need not lock it
    // for every value bound.
    if (sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        db = nullptr;
    }
}

BulkWriter::~BulkWriter() {
    Close();
}

bool BulkWriter::Exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        error = std::string(message ? message : "unknown error") + " in: " + sql.substr(0, 200);
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool BulkWriter::Prepare(const std::string& sql) {
    Finalize();
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return false;
    }
    return true;
}

void BulkWriter::BindInt(int column, long long value) {
    sqlite3_bind_int64(statement, column, value);
}

void BulkWriter::BindDouble(int column, double value) {
    sqlite3_bind_double(statement, column, value);
}

void BulkWriter::BindText(int column, const std::string& value) {
    sqlite3_bind_text(statement, column, value.c_str(), int(value.size()), SQLITE_TRANSIENT);
}

bool BulkWriter::Step() {
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    if (!done) {
        error = sqlite3_errmsg(db);
    }
    sqlite3_reset(statement);
    return done;
}

void BulkWriter::Finalize() {
    sqlite3_finalize(statement);
    statement = nullptr;
}

void BulkWriter::Close() {
    Finalize();
    sqlite3_close(db);
    db = nullptr;
}
