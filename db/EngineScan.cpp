#include "db/EngineScan.h"

#include <sqlite3.h>

#include <new>
#include <vector>

#include "base/OutOfMemory.h"
#include "db/SqlText.h"
#include "db/Statement.h"

namespace {

const char* const kScanFunction = "quenvar_scan_row";

// The walk in progress on this thread: a connection is worked on by one
// thread at a time, and the function is called only while it walks.
struct Walker {
    const EngineScan::Part* part;
    const EngineScan::RowEnd* rowEnd;
    int perCall;
    int lastPart;
};
thread_local Walker* current = nullptr;

// Arguments: the part's number, then the values of its columns.
void ScanRow(sqlite3_context* context, int count, sqlite3_value** values) {
    sqlite3_result_null(context);
    Walker* walker = current;
    if (!walker || count < 1) {
        return;
    }
    const int part = sqlite3_value_int(values[0]);
    try {
        (*walker->part)(part * walker->perCall, count - 1, values + 1);
        if (part == walker->lastPart) {
            (*walker->rowEnd)();
        }
    } catch (const std::bad_alloc&) {
        OutOfMemory();  // never through SQLite's own frames
    }
}

// Prepared without a line in the logs when it does not compile.
sqlite3_stmt* PrepareQuietly(sqlite3* handle, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (handle) {
        sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr);
    }
    return statement;
}

// The names the outer query finds the source's columns by; empty when two
// of them are one name to SQLite (it ignores ASCII case).
std::vector<std::string> DistinctNames(sqlite3_stmt* source) {
    std::vector<std::string> names;
    const int count = sqlite3_column_count(source);
    for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(source, i);
        if (!name) {
            return {};
        }
        for (const std::string& earlier : names) {
            if (sqlite3_stricmp(earlier.c_str(), name) == 0) {
                return {};
            }
        }
        names.emplace_back(name);
    }
    return names;
}

}  // namespace

void RegisterScanFunction(sqlite3* handle) {
    // Direct only: no view or trigger of a file can call it.
    sqlite3_create_function_v2(handle, kScanFunction, -1, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr,
                               ScanRow, nullptr, nullptr, nullptr);
}

EngineScan::EngineScan(Database database, const std::string& sourceSql) : database(database) {
    sqlite3* handle =
        this->database.GetConnection() ? this->database.GetConnection()->Handle() : nullptr;
    sqlite3_stmt* source = PrepareQuietly(handle, sourceSql);
    const std::vector<std::string> names =
        source ? DistinctNames(source) : std::vector<std::string>();
    sqlite3_finalize(source);
    if (names.empty()) {
        return;
    }
    columns = static_cast<int>(names.size());
    // The part's number takes one argument of each call.
    perCall = sqlite3_limit(handle, SQLITE_LIMIT_FUNCTION_ARG, -1) - 1;
    if (perCall < 1) {
        return;
    }
    std::string sql = "SELECT ";
    for (int first = 0, part = 0; first < columns; first += perCall, ++part) {
        sql += std::string(part ? ", " : "") + kScanFunction + "(" + std::to_string(part);
        for (int i = first; i < columns && i < first + perCall; ++i) {
            sql += ", " + SqlName(names[static_cast<size_t>(i)]);
        }
        sql += ")";
    }
    sql += " FROM (" + sourceSql + ")";
    sqlite3_stmt* walk = PrepareQuietly(handle, sql);
    if (walk) {
        walkSql = sql;
    }
    sqlite3_finalize(walk);
}

bool EngineScan::Walk(const Part& part, const RowEnd& rowEnd) {
    if (!IsUsable()) {
        return false;
    }
    Walker walker{&part, &rowEnd, perCall, (columns - 1) / perCall};
    Walker* outer = current;
    current = &walker;
    Statement rows(database, walkSql.c_str());
    while (rows.Step()) {
    }
    current = outer;
    return rows.Finished();
}
