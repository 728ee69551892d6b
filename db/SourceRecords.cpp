// The records of what each index table was derived from, and of what its
// data table held when last read, that let an opening tell an index table
// another program has made out of date.
#include <sqlite3.h>

#include <cstring>

#include "db/Database.h"
#include "db/SqlText.h"
#include "db/Statement.h"

namespace {

const char* const kSourcesTable = "_db_sources";
const char* const kCheckedTable = "_db_checked";

const char* const kCreateSources =
    "CREATE TABLE IF NOT EXISTS _db_sources (index_table varchar(256), data_table varchar(256), "
    "source_rows integer, source_columns text, source_values text)";
const char* const kCreateChecked =
    "CREATE TABLE IF NOT EXISTS _db_checked (data_table varchar(256), change_counter integer, "
    "source_rows integer, position integer, column_name text, column_values text, text_row "
    "integer, text_value text)";

uint32_t Word(const unsigned char* bytes) {
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
           uint32_t(bytes[3]);
}

std::string TextAt(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : "";
}

// A statement that reads the program's own tables without a word in the
// logs when they are not there (a file the program never wrote to).
sqlite3_stmt* PrepareQuietly(sqlite3* handle, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (handle) {
        sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr);
    }
    return statement;
}

}  // namespace

long long Database::GetDataVersion() {
    sqlite3_stmt* statement = PrepareQuietly(OpenHandle(), "PRAGMA data_version");
    long long version = 0;
    if (statement && sqlite3_step(statement) == SQLITE_ROW) {
        version = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    return version;
}

// Read through SQLite's own handle on the file: opening and closing the file
// a second time would drop the locks SQLite holds on it (POSIX locks belong
// to the process and go with any of its descriptors).
long long Database::ReadChangeCounter() {
    sqlite3_file* file = nullptr;
    if (!OpenHandle() ||
        sqlite3_file_control(OpenHandle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods) {
        return -1;
    }
    unsigned char header[100];
    if (file->pMethods->xRead(file, header, sizeof header, 0) != SQLITE_OK ||
        std::memcmp(header, "SQLite format 3", 16) != 0) {
        return -1;
    }
    // Write version 2 is WAL mode; the counter there is not kept. It is also
    // not kept by a writer that leaves "version valid for" behind.
    if (header[18] == 2 || header[19] == 2 || Word(header + 24) != Word(header + 92)) {
        return -1;
    }
    return Word(header + 24);
}

std::optional<SourceSignature> Database::GetIndexSource(const std::string& indexTable) {
    sqlite3_stmt* statement =
        PrepareQuietly(OpenHandle(), "SELECT source_rows, source_columns, source_values FROM " +
                                         std::string(kSourcesTable) +
                                         " WHERE index_table = " + SqlLiteral(indexTable));
    std::optional<SourceSignature> signature;
    if (statement && sqlite3_step(statement) == SQLITE_ROW) {
        signature = SourceSignature{sqlite3_column_int64(statement, 0),
                                    HashFromText(TextAt(statement, 1).c_str()),
                                    HashFromText(TextAt(statement, 2).c_str())};
    }
    sqlite3_finalize(statement);
    return signature;
}

void Database::SetIndexSource(const std::string& indexTable, const char* dataTable,
                              const SourceSignature& signature) {
    if (!dataTable) {
        return;
    }
    Query sql("%s;", kCreateSources);
    sql.Append("DELETE FROM %s WHERE index_table = %s;", kSourcesTable,
               SqlLiteral(indexTable).c_str());
    sql.Append("INSERT INTO %s VALUES(%s, %s, %lld, '%s', '%s');", kSourcesTable,
               SqlLiteral(indexTable).c_str(), SqlLiteral(dataTable).c_str(), signature.rows,
               HashText(signature.names).c_str(), HashText(signature.values).c_str());
    sql.Append("%s", CurrentCheckedSql(dataTable).c_str());
    RunQueries(sql);
}

void Database::RecordKnownState(const char* dataTable) {
    const std::string sql = CurrentCheckedSql(dataTable);
    if (!sql.empty()) {
        RunQueries(sql.c_str());
    }
}

std::string Database::CurrentCheckedSql(const char* dataTable) {
    if (!dataTable || !connection) {
        return std::string();
    }
    auto known = connection->knownTables.find(dataTable);
    if (known == connection->knownTables.end() || known->second.dataVersion != GetDataVersion()) {
        return std::string();
    }
    known->second.inFile = true;
    return CheckedStateSql(dataTable, known->second.state);
}

std::string Database::CheckedStateSql(const char* dataTable, const TableState& state) {
    // Our own commit adds one to the counter; the record holds what it will say then.
    const std::string counter = connection->counterAtBegin >= 0
                                    ? std::to_string((connection->counterAtBegin + 1) & 0xFFFFFFFF)
                                    : "NULL";
    const std::string table = SqlLiteral(dataTable);
    std::string sql = std::string(kCreateChecked) + ";DELETE FROM " + kCheckedTable +
                      " WHERE data_table = " + table + ";";
    for (size_t i = 0; i < state.columns.size(); ++i) {
        const ColumnState& column = state.columns[i];
        sql += "INSERT INTO " + std::string(kCheckedTable) + " VALUES(" + table + ", " + counter +
               ", " + std::to_string(state.rows) + ", " + std::to_string(i) + ", " +
               SqlLiteral(column.name) + ", '" + HashText(column.values) + "', " +
               std::to_string(column.textRow) + ", " + SqlLiteral(column.text) + ");";
    }
    return sql;
}

std::optional<TableState> Database::GetKnownState(const char* dataTable) {
    if (!dataTable || !connection) {
        return std::nullopt;
    }
    auto known = connection->knownTables.find(dataTable);
    if (known != connection->knownTables.end() && known->second.dataVersion == GetDataVersion()) {
        return known->second.state;
    }
    long long version = 0;
    std::optional<TableState> state = ReadCheckedState(dataTable, version);
    if (state) {
        connection->knownTables[dataTable] = Connection::KnownTable{*state, version, true};
    }
    return state;
}

std::optional<TableState> Database::ReadCheckedState(const char* dataTable,
                                                     long long& dataVersion) {
    sqlite3_stmt* statement =
        PrepareQuietly(OpenHandle(),
                       "SELECT change_counter, source_rows, column_name, column_values, text_row, "
                       "text_value FROM " +
                           std::string(kCheckedTable) +
                           " WHERE data_table = " + SqlLiteral(dataTable) + " ORDER BY position");
    if (!statement || sqlite3_step(statement) != SQLITE_ROW) {
        sqlite3_finalize(statement);
        return std::nullopt;
    }
    // The read holds the file's shared lock: no other program can commit
    // between the counter, the data version and the rows read here.
    const long long counter = ReadChangeCounter();
    dataVersion = GetDataVersion();
    TableState state;
    bool vouched = counter >= 0;
    int step = SQLITE_ROW;
    for (; step == SQLITE_ROW && vouched; step = sqlite3_step(statement)) {
        vouched = sqlite3_column_type(statement, 0) == SQLITE_INTEGER &&
                  sqlite3_column_int64(statement, 0) == counter;
        state.rows = sqlite3_column_int64(statement, 1);
        state.columns.push_back(
            ColumnState{TextAt(statement, 2), HashFromText(TextAt(statement, 3).c_str()),
                        sqlite3_column_int64(statement, 4), TextAt(statement, 5)});
    }
    sqlite3_finalize(statement);
    if (!vouched || step != SQLITE_DONE) {
        return std::nullopt;
    }
    return state;
}

TableState Database::ReadTableState(const char* dataTable) {
    const long long version = GetDataVersion();
    Statement rows(*this,
                   Query("SELECT * FROM (SELECT * FROM %s) ", SqlName(dataTable).c_str()).Text());
    TableScan scan(rows.Handle());
    while (rows.Step()) {
        scan.AddRow(rows.Handle());
    }
    // A read cut short tells nothing for sure.
    if (rows.Finished()) {
        SetKnownState(dataTable, scan.State(), version);
    }
    return scan.State();
}

void Database::SetKnownState(const char* dataTable, const TableState& state,
                             long long dataVersion) {
    if (dataTable && connection) {
        connection->knownTables[dataTable] = Connection::KnownTable{state, dataVersion, false};
    }
}

const TableState* Database::GetLastState(const char* dataTable) const {
    if (!dataTable || !connection) {
        return nullptr;
    }
    auto known = connection->knownTables.find(dataTable);
    return known == connection->knownTables.end() ? nullptr : &known->second.state;
}

void Database::KeepKnownState(const char* dataTable) {
    sqlite3* handle = OpenHandle();
    if (!handle || !dataTable || connection->inTransaction || !sqlite3_get_autocommit(handle) ||
        sqlite3_db_readonly(handle, "main") == 1) {
        return;
    }
    auto known = connection->knownTables.find(dataTable);
    if (known == connection->knownTables.end() || known->second.inFile ||
        known->second.dataVersion != GetDataVersion()) {
        return;
    }
    // Not worth a wait, nor a line in the logs: the next opening reads the
    // table once more instead.
    sqlite3_busy_timeout(handle, 0);
    if (sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {
        connection->counterAtBegin = ReadChangeCounter();
        const bool written =
            connection->counterAtBegin >= 0 &&
            sqlite3_exec(handle, CheckedStateSql(dataTable, known->second.state).c_str(), nullptr,
                         nullptr, nullptr) == SQLITE_OK &&
            sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!written && !sqlite3_get_autocommit(handle)) {
            sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        known->second.inFile = written;
    }
    connection->ApplyOwnLockWait();
}

void Database::ForgetUnregisteredSources() {
    if (HasTable(kSourcesTable)) {
        RunQuery(
            Query("DELETE FROM %s WHERE index_table NOT IN (SELECT index_table FROM "
                  "_db_indexes)",
                  kSourcesTable));
    }
}
