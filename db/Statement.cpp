#include "db/Statement.h"

#include <sqlite3.h>

#include <new>

#include "base/OutOfMemory.h"

Statement::Statement(Database database, const char* sql) : database(database) {
    if (!this->database.OpenHandle() || !sql || this->database.RefusesStatements(sql)) {
        return;
    }
    const int code = sqlite3_prepare_v2(this->database.OpenHandle(), sql, -1, &statement, nullptr);
    if (!statement) {
        this->database.ReportCompileFailure(sql, code);
    }
}

Statement::~Statement() {
    Close();
}

void Statement::Bind(int position, const char* text) {
    sqlite3_bind_text(statement, position, text, -1, SQLITE_TRANSIENT);
}

bool Statement::Execute() {
    if (!statement || database.RefusesStatements(sqlite3_sql(statement))) {
        return false;
    }
    const int step = database.Step(statement);
    const bool done = step == SQLITE_ROW || step == SQLITE_DONE;
    if (!done) {
        database.ReportRunFailure(step);
    }
    sqlite3_reset(statement);
    return done;
}

bool Statement::Step() {
    if (!statement) {
        return false;
    }
    const int step = database.Step(statement);
    onRow = step == SQLITE_ROW;
    finished = step == SQLITE_DONE;
    if (step != SQLITE_ROW && step != SQLITE_DONE) {
        if (!stepped) {
            database.ReportRunFailure(step);
        } else {
            // A walk cut short must not pass for the end of the rows.
            database.ReportWalkFailure(step);
        }
    }
    if (onRow && !columns) {
        try {
            columns = std::make_shared<const RowColumns>(ReadColumns(statement));
        } catch (const std::bad_alloc&) {
            OutOfMemory();
        }
    }
    stepped = true;
    return onRow;
}

void Statement::Reset() {
    sqlite3_reset(statement);
    onRow = false;
    finished = false;
}

void Statement::Close() {
    sqlite3_finalize(statement);
    statement = nullptr;
    onRow = false;
}

int Statement::Find(const char* name) const {
    return columns ? columns->Find(name) : -1;
}

double Statement::GetDouble(int position) const {
    if (!onRow || position < 0 || static_cast<unsigned>(position) >= columns->Count()) {
        return 0.0;
    }
    const unsigned column = columns->Resolve(static_cast<unsigned>(position));
    return ReadDouble(statement, column, columns->Kind(column));
}

int Statement::GetInt(int position) const {
    if (!onRow || position < 0 || static_cast<unsigned>(position) >= columns->Count()) {
        return 0;
    }
    const unsigned column = columns->Resolve(static_cast<unsigned>(position));
    return ReadInt(statement, column, columns->Kind(column));
}
