#include "db/Database.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/filename.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/Log.h"
#include "app/OutOfMemory.h"

namespace {

const char* const kCountingFormat = "SELECT count(*) as count FROM (%s)";
const char* const kCompileError = "Problem compiling SQL statement: %s (%d: %s)";
const char* const kRunError = "Error running SQL query. (%d: %s)";
const char* const kRunQueriesFailed = "RunQueries: %d of %d queries failed";

Result FailedResult() {
    return Result(nullptr, 0, ResultStatus::Failed);
}

// How many statements a text holds, counted as RunQueries steps through them:
// a piece after the last semicolon counts even when it is blank, and an empty
// text counts as one. Serves handles that have no connection to parse with.
int CountStatements(const char* sql) {
    if (!sql || !*sql) {
        return 1;
    }
    int count = 0;
    const char* p = sql;
    bool pieceOpen = false;
    while (*p) {
        pieceOpen = true;
        char c = *p;
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            char close = c == '[' ? ']' : c;
            for (++p; *p && *p != close; ++p) {
            }
            if (*p) {
                ++p;
            }
        } else if (c == '-' && p[1] == '-') {
            while (*p && *p != '\n') {
                ++p;
            }
        } else if (c == '/' && p[1] == '*') {
            const char* end = std::strstr(p + 2, "*/");
            p = end ? end + 2 : p + std::strlen(p);
        } else if (c == ';') {
            ++count;
            pieceOpen = false;
            ++p;
        } else {
            ++p;
        }
    }
    return pieceOpen ? count + 1 : count;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A file cut short (an interrupted copy or download) can still show SQLite a
// readable schema while the rows at its end are gone; writing our tables into
// it would damage it further. The header records how many pages the file had
// when it was last written; the record is valid when the change counter
// matches the version-valid-for number.
bool ShorterThanItsHeaderSays(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        return false;
    }
    unsigned char header[100];
    const bool complete = std::fread(header, 1, sizeof header, file) == sizeof header;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    if (!complete || std::memcmp(header, "SQLite format 3", 16) != 0) {
        return false;
    }
    auto word = [&header](int at) {
        return (uint32_t(header[at]) << 24) | (uint32_t(header[at + 1]) << 16) |
               (uint32_t(header[at + 2]) << 8) | uint32_t(header[at + 3]);
    };
    const uint32_t pageSize = header[16] == 0 && header[17] == 1
                                  ? 65536
                                  : (uint32_t(header[16]) << 8) | uint32_t(header[17]);
    const uint32_t pages = word(28);
    if (pages == 0 || word(24) != word(92)) {
        return false;
    }
    return size >= 0 && uint64_t(size) < uint64_t(pages) * pageSize;
}

bool SameNameIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

}  // namespace

Database::Database(const char* path) : connection(std::make_shared<Connection>(path)) {
    SetUpCatalogue();
}

Database::Database(const wxString& path) : Database(path.utf8_str().data()) {}

Database::Database(std::shared_ptr<Connection> existing) : connection(std::move(existing)) {
    SetUpCatalogue();
}

Database::Database()
    : Database(
          wxFileName::CreateTempFileName(wxFileName::GetTempDir() + wxFILE_SEP_PATH + "quenvar")) {}

Database::Database(const char* path, const char* rootFile, const char* stemFile) : Database(path) {
    ImportCsv(rootFile, "root", "varchar(256)");
    ImportCsv(stemFile, "stem", "varchar(256)");
}

Database::Database(const wxString& path, const wxString& rootFile, const wxString& stemFile)
    : Database(path.utf8_str().data(), rootFile.utf8_str().data(), stemFile.utf8_str().data()) {}

sqlite3* Database::OpenHandle() const {
    return connection ? connection->handle : nullptr;
}

int Database::GetState() const {
    return connection ? connection->GetState() : Connection::OpeningFailed;
}

std::string Database::GetPath() const {
    sqlite3* handle = OpenHandle();
    const char* path = handle ? sqlite3_db_filename(handle, "main") : nullptr;
    return path ? path : "";
}

// After an error SQLite may roll an open transaction back by itself; from then
// on the batch is lost and the rest of it must not be committed piecemeal.
void Database::NoteFailure(int code) {
    if (!connection || !connection->inTransaction) {
        return;
    }
    if (sqlite3_get_autocommit(connection->handle)) {
        connection->transactionLost = true;
    }
    switch (code & 0xff) {
        case SQLITE_READONLY:
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
        case SQLITE_FULL:
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
        case SQLITE_NOMEM:
            connection->batchSpoiled = true;
            break;
        default:
            break;
    }
}

Result Database::RunQuery(const Query& query) {
    return RunQuery(query.Text());
}

Result Database::RunQuery(const wxString& sql) {
    return RunQuery(sql.utf8_str().data());
}

bool Database::RefusesStatements() const {
    return !OpenHandle() || connection->transactionLost;
}

void Database::ReportCompileFailure(const char* sql, int code) {
    Log(LOG_ERROR, kCompileError, sql, code, sqlite3_errmsg(OpenHandle()));
    NoteFailure(code);
}

void Database::ReportRunFailure(int code) {
    Log(LOG_ERROR, kRunError, code, sqlite3_errmsg(OpenHandle()));
    NoteFailure(code);
}

void Database::ReportWalkFailure(int code) {
    Log(LOG_ERROR, kRunError, code, sqlite3_errmsg(OpenHandle()));
}

Result Database::RunQuery(const char* sql) {
    if (RefusesStatements() || !sql) {
        return FailedResult();
    }
    sqlite3* handle = OpenHandle();
    sqlite3_stmt* statement = nullptr;
    int code = sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr);
    if (!statement) {
        ReportCompileFailure(sql, code);
        return FailedResult();
    }

    int step = sqlite3_step(statement);
    int rowCount = 0;
    if (step == SQLITE_ROW) {
        // Counting first lets callers report progress over the rows.
        Query counting(kCountingFormat, sql);
        sqlite3_stmt* count = nullptr;
        sqlite3_prepare_v2(handle, counting.Text(), -1, &count, nullptr);
        if (count) {
            if (sqlite3_step(count) == SQLITE_ROW) {
                rowCount = sqlite3_column_int(count, 0);
            }
            sqlite3_finalize(count);
        }
    }
    if (step != SQLITE_ROW && step != SQLITE_DONE && step != SQLITE_OK) {
        ReportRunFailure(step);
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    if (statement) {
        sqlite3_reset(statement);
    }

    if (step == SQLITE_ROW || step == SQLITE_DONE) {
        if (rowCount != 0) {
            return Result(statement, rowCount, ResultStatus::HasRows);
        }
        return Result(statement, 0, ResultStatus::Empty);
    }
    return Result(statement, rowCount, ResultStatus::Failed);
}

int Database::RunQueries(const Query& query) {
    return RunQueries(query.Text());
}

int Database::RunQueries(const wxString& sql) {
    return RunQueries(sql.utf8_str().data());
}

int Database::RunQueries(const char* sql) {
    if (!sql) {
        sql = "";
    }
    int failures = 0;
    int statements = 0;
    sqlite3* handle = OpenHandle();
    if (!handle || connection->transactionLost) {
        failures = statements = CountStatements(sql);
    } else {
        const char* cursor = sql;
        while (true) {
            ++statements;
            sqlite3_stmt* statement = nullptr;
            const char* rest = nullptr;
            sqlite3_prepare(handle, cursor, -1, &statement, &rest);
            if (!statement) {
                ++failures;
                NoteFailure(sqlite3_errcode(handle));
            } else {
                int step = sqlite3_step(statement);
                // The legacy interface reports the real code only once finalised.
                int code = sqlite3_finalize(statement);
                if (step != SQLITE_ROW && step != SQLITE_DONE) {
                    ++failures;
                    NoteFailure(code);
                }
            }
            // Stop when nothing was consumed, so a statement that cannot be
            // parsed ends the run instead of being tried for ever.
            if (!rest || rest == cursor || *rest == '\0' || connection->transactionLost) {
                break;
            }
            cursor = rest;
        }
    }
    if (failures > 0) {
        Log(LOG_CONSOLE, kRunQueriesFailed, failures, statements);
    }
    return failures;
}

bool Database::Begin() {
    if (!OpenHandle() || RunQuery("BEGIN").Status() == ResultStatus::Failed) {
        return false;
    }
    connection->inTransaction = true;
    connection->transactionLost = false;
    connection->batchSpoiled = false;
    return true;
}

bool Database::Commit() {
    sqlite3* handle = OpenHandle();
    if (!handle) {
        return false;
    }
    const bool lost = connection->transactionLost || connection->batchSpoiled ||
                      (connection->inTransaction && sqlite3_get_autocommit(handle));
    connection->inTransaction = false;
    connection->transactionLost = false;
    connection->batchSpoiled = false;
    if (lost) {
        Rollback();
        return false;
    }
    // A read-only file refuses every write of the batch; committing the rest
    // would pass an incomplete batch off as done.
    if (sqlite3_db_readonly(handle, "main") == 1) {
        Rollback();
        return false;
    }
    if (RunQuery("COMMIT").Status() == ResultStatus::Failed) {
        Rollback();
        return false;
    }
    return true;
}

void Database::Rollback() {
    sqlite3* handle = OpenHandle();
    if (!handle) {
        return;
    }
    connection->inTransaction = false;
    connection->transactionLost = false;
    connection->batchSpoiled = false;
    if (!sqlite3_get_autocommit(handle)) {
        RunQuery("ROLLBACK");
    }
}

DatabaseProbe Database::Probe(const char* path) {
    DatabaseProbe probe;
    if (!path || !*path) {
        return probe;
    }
    // SQLite would wait for ever on a pipe and read a device as an empty database.
    struct stat info {};
    if (stat(path, &info) == 0 && !S_ISREG(info.st_mode)) {
        return probe;
    }
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(path, &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(handle, "SELECT name FROM sqlite_master WHERE type = 'table'", -1,
                           &statement, nullptr);
        if (statement) {
            int step;
            bool grid = false;
            bool stem = false;
            while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
                const char* name = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
                if (name) {
                    grid = grid || SameNameIgnoringAsciiCase(name, "grid");
                    stem = stem || SameNameIgnoringAsciiCase(name, "stem");
                }
            }
            if (step == SQLITE_DONE && !ShorterThanItsHeaderSays(path)) {
                probe.isDatabase = true;
                probe.hasGrid = grid;
                probe.hasStem = stem;
            }
            sqlite3_finalize(statement);
        }
    }
    sqlite3_close_v2(handle);
    // SQLite writes its journal beside the file, so the folder must be writable too.
    probe.readOnly = access(path, W_OK) != 0 || access(FolderOf(path).c_str(), W_OK) != 0;
    return probe;
}
