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

#include "base/Log.h"
#include "base/OutOfMemory.h"

namespace {

const char* const kCountingFormat = "SELECT count(*) as count FROM (%s)";
const char* const kCompileError = "Problem compiling SQL statement: %s (%d: %s)";
const char* const kRunError = "Error running SQL query. (%d: %s)";
const char* const kRunQueriesFailed = "RunQueries: %d of %d queries failed";
const char* const kBatchRefused =
    "An earlier error ended this batch of changes; its remaining statements are not run, "
    "starting with: %s";

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

// What reading a file's schema found, or the extended code that stopped it.
struct SchemaRead {
    bool complete = false;
    bool grid = false;
    bool stem = false;
    int code = SQLITE_OK;
};

// A view counts when a query can read it: one over a missing table cannot.
bool Readable(sqlite3* handle, const char* table) {
    sqlite3_stmt* statement = nullptr;
    const std::string sql = std::string("SELECT * FROM ") + table;
    sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr);
    const bool readable = statement != nullptr;
    sqlite3_finalize(statement);
    return readable;
}

SchemaRead ReadSchema(const char* path, int flags) {
    SchemaRead read;
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(path, &handle, flags, nullptr) != SQLITE_OK) {
        read.code = handle ? sqlite3_extended_errcode(handle) : SQLITE_CANTOPEN;
        sqlite3_close_v2(handle);
        return read;
    }
    Connection::WaitForLocks(handle);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(handle, "SELECT name FROM sqlite_master WHERE type IN ('table', 'view')", -1,
                       &statement, nullptr);
    int step = SQLITE_ERROR;
    if (statement) {
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            const char* name = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
            if (name) {
                read.grid = read.grid || SameNameIgnoringAsciiCase(name, "grid");
                read.stem = read.stem || SameNameIgnoringAsciiCase(name, "stem");
            }
        }
        sqlite3_finalize(statement);
    }
    read.complete = step == SQLITE_DONE;
    read.code = read.complete ? SQLITE_OK : sqlite3_extended_errcode(handle);
    if (read.complete) {
        read.grid = read.grid && Readable(handle, "grid");
        read.stem = read.stem && Readable(handle, "stem");
    }
    sqlite3_close_v2(handle);
    return read;
}

}  // namespace

Database::Database(const char* path) : connection(std::make_shared<Connection>(path)) {
    SetUpCatalogue();
}

Database::Database(const wxString& path) : Database(path.utf8_str().data()) {}

Database::Database(std::shared_ptr<Connection> existing) : connection(std::move(existing)) {
    SetUpCatalogue();
}

Database Database::OpenForReading(const char* path) {
    Database database{std::shared_ptr<Connection>()};
    database.connection = std::make_shared<Connection>(path, Connection::ReadOnly);
    return database;
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

// Keeps what SQLite and the system said about a failed statement. After an
// error SQLite may roll an open transaction back by itself; from then on the
// batch is lost and the rest of it must not be committed piecemeal.
void Database::NoteFailure(int code) {
    sqlite3* handle = connection->handle;
    StatementFailure failure;
    failure.code = sqlite3_extended_errcode(handle);
    if ((failure.code & 0xff) != (code & 0xff)) {
        failure.code = code;
    }
    const int primary = failure.code & 0xff;
    // The system's error number is kept only where it says more than SQLite.
    if (primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN || primary == SQLITE_FULL) {
        failure.systemError = sqlite3_system_errno(handle);
        if (failure.systemError == 0) {
            // SQLite may have made other system calls since (rolling back);
            // the main file keeps the error number of its own failed call.
            sqlite3_file_control(handle, "main", SQLITE_FCNTL_LAST_ERRNO, &failure.systemError);
        }
    }
    failure.message = sqlite3_errmsg(handle);
    failure.cause = ClassifyFailure(failure.code, failure.systemError);
    if (primary == SQLITE_BUSY) {
        // The whole wait has passed; the lock will not be gone for the next change either.
        connection->lockWaitSpent = true;
    }
    if (!connection->inTransaction) {
        RecordBatchFailure(failure, false);
        return;
    }
    if (sqlite3_get_autocommit(handle)) {
        connection->transactionLost = true;
    }
    switch (primary) {
        case SQLITE_READONLY:
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
        case SQLITE_FULL:
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
        case SQLITE_NOMEM:
        case SQLITE_BUSY:
            connection->batchSpoiled = true;
            break;
        default:
            break;
    }
    RecordBatchFailure(failure, connection->batchSpoiled || connection->transactionLost);
}

// The failure that spoiled a batch names its cause; a harmless one before it does not.
void Database::RecordBatchFailure(const StatementFailure& failure, bool spoils) {
    if (connection->batchFailure.cause == FailureCause::None ||
        (spoils && !connection->batchFailureSpoils)) {
        connection->batchFailure = failure;
        connection->batchFailureSpoils = spoils;
    }
}

// A batch that can no longer be committed runs nothing more; what it
// refuses is logged once, so that the log shows why its statements are missing.
bool Database::RefusesStatements(const char* sql) {
    if (!connection->transactionLost && !connection->batchSpoiled) {
        return false;
    }
    if (!connection->refusalLogged) {
        connection->refusalLogged = true;
        Log(LOG_ERROR, kBatchRefused, sql ? sql : "");
    }
    return true;
}

StatementFailure Database::GetBatchFailure() const {
    return connection ? connection->batchFailure : StatementFailure();
}

Result Database::RunQuery(const Query& query) {
    return RunQuery(query.Text());
}

Result Database::RunQuery(const wxString& sql) {
    return RunQuery(sql.utf8_str().data());
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
    sqlite3* handle = OpenHandle();
    if (!handle || !sql || RefusesStatements(sql)) {
        return FailedResult();
    }
    sqlite3_stmt* statement = nullptr;
    int code = sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr);
    if (!statement) {
        ReportCompileFailure(sql, code);
        return FailedResult();
    }

    int step = Step(statement);
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

// Once a wait for another program's lock was spent in vain, a change is
// tried once without waiting: the lock is most likely still held, and one
// wait per statement would make an opening wait many times over. Reads keep
// waiting, since a writer keeps readers out only for the moment of its commit.
int Database::Step(sqlite3_stmt* statement) {
    sqlite3* handle = connection->handle;
    const bool changes = !sqlite3_stmt_readonly(statement);
    const bool once = changes && connection->lockWaitSpent;
    if (once) {
        sqlite3_busy_timeout(handle, 0);
    }
    const int step = sqlite3_step(statement);
    if (once) {
        connection->ApplyOwnLockWait();
    }
    if (changes && (step == SQLITE_DONE || step == SQLITE_ROW)) {
        connection->lockWaitSpent = false;
    }
    return step;
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
    if (!handle || RefusesStatements(sql)) {
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
                int step = Step(statement);
                // The legacy interface reports the real code only once finalised.
                int code = sqlite3_finalize(statement);
                if (step != SQLITE_ROW && step != SQLITE_DONE) {
                    ++failures;
                    NoteFailure(code);
                }
            }
            // Stop when nothing was consumed, so a statement that cannot be
            // parsed ends the run instead of being tried for ever.
            if (!rest || rest == cursor || *rest == '\0' || connection->transactionLost ||
                connection->batchSpoiled) {
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
    if (!OpenHandle()) {
        return false;
    }
    connection->batchFailure = StatementFailure();
    connection->batchFailureSpoils = false;
    // The write lock is taken at once: SQLite waits for another program's
    // lock only while this connection holds none, so a batch that read first
    // would be refused at its first change instead of waiting.
    if (RunQuery("BEGIN IMMEDIATE").Status() == ResultStatus::Failed) {
        return false;
    }
    EndBatch();
    connection->inTransaction = true;
    // Read before any page of the batch can reach the file.
    connection->counterAtBegin = ReadChangeCounter();
    return true;
}

void Database::EndBatch() {
    connection->inTransaction = false;
    connection->transactionLost = false;
    connection->batchSpoiled = false;
    connection->refusalLogged = false;
}

bool Database::Commit() {
    sqlite3* handle = OpenHandle();
    if (!handle) {
        return false;
    }
    const bool lost = connection->transactionLost || connection->batchSpoiled ||
                      (connection->inTransaction && sqlite3_get_autocommit(handle));
    EndBatch();
    if (lost) {
        Rollback();
        return false;
    }
    // A read-only file refuses every write of the batch; committing the rest
    // would pass an incomplete batch off as done.
    if (sqlite3_db_readonly(handle, "main") == 1) {
        StatementFailure readOnly;
        readOnly.cause = FailureCause::ReadOnly;
        readOnly.code = SQLITE_READONLY;
        readOnly.message = sqlite3_errstr(SQLITE_READONLY);
        RecordBatchFailure(readOnly, true);
        Rollback();
        return false;
    }
    if (RunQuery("COMMIT").Status() == ResultStatus::Failed) {
        connection->batchFailure = StatementFailure();
        NoteFailure(sqlite3_errcode(handle));
        Rollback();
        return false;
    }
    return true;
}

bool Database::IsReadOnly() {
    sqlite3* handle = OpenHandle();
    return handle && sqlite3_db_readonly(handle, "main") == 1;
}

void Database::KeepPagesInMemory() {
    sqlite3* handle = OpenHandle();
    if (handle && !connection->keepsPages) {
        connection->keepsPages = true;
        sqlite3_exec(handle, "PRAGMA cache_size = -131072", nullptr, nullptr, nullptr);
    }
}

void Database::SetLockWait(std::chrono::milliseconds wait) {
    if (connection) {
        connection->SetOwnLockWait(wait);
    }
}

std::chrono::milliseconds Database::GetLockWait() const {
    return connection ? connection->OwnLockWait() : Connection::LockWait();
}

bool Database::BeginReading() {
    sqlite3* handle = OpenHandle();
    // Reads inside a transaction already see one state of the file.
    if (!handle || connection->holdsReading || !sqlite3_get_autocommit(handle)) {
        return true;
    }
    // BEGIN takes no lock; the first read takes the shared lock and keeps it
    // until the end of the transaction.
    if (sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
        return true;
    }
    const int read =
        sqlite3_exec(handle, "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr);
    if (read != SQLITE_OK) {
        const int code = sqlite3_extended_errcode(handle) & 0xff;
        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
        // Any other failure is the reads' own to report.
        return code != SQLITE_BUSY && code != SQLITE_LOCKED;
    }
    connection->holdsReading = true;
    return true;
}

void Database::EndReading() {
    sqlite3* handle = OpenHandle();
    if (!handle || !connection->holdsReading) {
        return;
    }
    connection->holdsReading = false;
    if (!sqlite3_get_autocommit(handle)) {
        sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
    }
}

void Database::Rollback() {
    sqlite3* handle = OpenHandle();
    if (!handle) {
        return;
    }
    EndBatch();
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
    // SQLite writes its journal beside the file, so the folder must be writable too.
    probe.readOnly = access(path, W_OK) != 0 || access(FolderOf(path).c_str(), W_OK) != 0;
    SchemaRead schema = ReadSchema(path, SQLITE_OPEN_READONLY);
    if (schema.code == SQLITE_READONLY_ROLLBACK) {
        // A program stopped in the middle of a change and left its journal.
        // Only a connection that may write can roll the change back, which
        // SQLite does as it first reads; a read-only file is left as it is.
        if (probe.readOnly) {
            probe.needsRecovery = true;
            return probe;
        }
        schema = ReadSchema(path, SQLITE_OPEN_READWRITE);
        probe.recovered = schema.complete;
        probe.needsRecovery = !schema.complete && (schema.code & 0xff) != SQLITE_BUSY;
    }
    probe.locked = (schema.code & 0xff) == SQLITE_BUSY;
    if (schema.complete && !ShorterThanItsHeaderSays(path)) {
        probe.isDatabase = true;
        probe.hasGrid = schema.grid;
        probe.hasStem = schema.stem;
    }
    return probe;
}
