// The program's catalogue tables and the registry of index tables, kept in
// every file the program opens.
#include <cstring>
#include <vector>

#include "base/Log.h"
#include "base/Text.h"
#include "db/Database.h"
#include "db/SqlText.h"

namespace {

const char* const kInfoTable = "_db_info";
const char* const kAggregationsTable = "_db_aggregations";
const char* const kIndexesTable = "_db_indexes";
const char* const kIndexPrefix = "_idx_";
const size_t kMaxIndexTableName = 255;

const char* const kForeignInputRow =
    "Delete Index Tables left the registry row (%s, %s) alone: it names the input table %s, "
    "not an index table";
const char* const kForeignMissingRow =
    "Delete Index Tables left the registry row (%s, %s) alone: it names the table %s, which "
    "does not exist";

void IgnoreChange(void*, int, const char*) {}

// Every index table carries the prefix; anything else in the registry is not
// ours to drop (a damaged or crafted file may name the user's own tables).
bool IsIndexTableName(const std::string& name) {
    return name.compare(0, std::strlen(kIndexPrefix), kIndexPrefix) == 0;
}

// The registry rows that name an index table, told as IsIndexTableName tells them.
std::string OwnRows() {
    return "substr(index_table, 1, " + std::to_string(std::strlen(kIndexPrefix)) +
           ") = " + SqlLiteral(kIndexPrefix);
}

}  // namespace

void Database::SetUpCatalogue() {
    if (!connection) {
        return;
    }
    connection->SetListener(IgnoreChange, nullptr);
    if (!TableExists(kInfoTable)) {
        RunQuery(Query("CREATE TABLE %s (db_version double)", kInfoTable));
        SetVersion(0.1);
    }
    if (!TableExists(kAggregationsTable)) {
        RunQuery(Query("CREATE TABLE %s (data_table varchar(256), agr_table varchar(256))",
                       kAggregationsTable));
    }
    if (!TableExists(kIndexesTable)) {
        RunQuery(
            Query("CREATE TABLE %s (data_table varchar(256), name varchar(256), index_table "
                  "varchar(256))",
                  kIndexesTable));
    }
}

bool Database::TableExists(const char* table) {
    if (!table) {
        return false;
    }
    return RunQuery(Query("SELECT * FROM %s", SqlName(table).c_str())).Status() !=
           ResultStatus::Failed;
}

bool Database::TableExists(const wxString& table) {
    return TableExists(table.utf8_str().data());
}

bool Database::HasTable(const char* table) {
    if (!table) {
        return false;
    }
    // NOCASE matches SQLite's own rule for table names (ASCII letters fold).
    Query query("SELECT name FROM sqlite_master WHERE type = 'table' AND name = %s COLLATE NOCASE",
                SqlLiteral(table).c_str());
    return RunQuery(query).HasRow();
}

double Database::GetVersion() {
    Result result = RunQuery(Query("SELECT * FROM %s", kInfoTable));
    if (result.RowCount() < 1) {
        return 0.0;
    }
    return result.NextRow().GetDouble("db_version");
}

void Database::SetVersion(double version) {
    int rows = RunQuery(Query("SELECT * FROM %s", kInfoTable)).RowCount();
    if (rows < 1) {
        RunQuery(Query("INSERT INTO %s (db_version) VALUES(%f)", kInfoTable, version));
    } else {
        RunQuery(Query("UPDATE %s SET db_version = %f", kInfoTable, version));
    }
}

bool Database::IndexExists(const char* dataTable, const char* name) {
    if (!dataTable || !name) {
        return false;
    }
    Query query("SELECT * FROM %s WHERE data_table = %s AND name = %s", kIndexesTable,
                SqlLiteral(dataTable).c_str(), SqlLiteral(name).c_str());
    return RunQuery(query).HasRow();
}

bool Database::IndexExists(const wxString& dataTable, const wxString& name) {
    return IndexExists(Utf8(dataTable).c_str(), Utf8(name).c_str());
}

// Index table names are "_idx_", the data table, "_" and the index name.
std::string Database::FormIndexTableName(const char* dataTable, const char* name) {
    if (!dataTable || !name) {
        return std::string();
    }
    std::string table = std::string(kIndexPrefix) + dataTable + "_" + name;
    if (table.size() > kMaxIndexTableName) {
        size_t cut = kMaxIndexTableName;
        // Never split a UTF-8 sequence: back off over its continuation bytes.
        while (cut > 0 && (static_cast<unsigned char>(table[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        table.resize(cut);
    }
    return table;
}

std::string Database::IndexTableName(const char* dataTable, const char* name) {
    if (!IndexExists(dataTable, name)) {
        return std::string();
    }
    return FormIndexTableName(dataTable, name);
}

std::string Database::IndexTableName(const wxString& dataTable, const wxString& name) {
    return IndexTableName(Utf8(dataTable).c_str(), Utf8(name).c_str());
}

std::string Database::CreateIndexTable(const char* dataTable, const char* name,
                                       const Query& columns) {
    if (!dataTable || !name || IndexExists(dataTable, name)) {
        return std::string();
    }
    std::string table = FormIndexTableName(dataTable, name);
    RunQuery(Query("CREATE TABLE %s (%s)", SqlName(table).c_str(), columns.Text()));
    RunQuery(Query("INSERT INTO %s VALUES(%s, %s, %s)", kIndexesTable,
                   SqlLiteral(dataTable).c_str(), SqlLiteral(name).c_str(),
                   SqlLiteral(table).c_str()));
    return table;
}

std::string Database::CreateIndexTable(const wxString& dataTable, const wxString& name,
                                       const Query& columns) {
    return CreateIndexTable(Utf8(dataTable).c_str(), Utf8(name).c_str(), columns);
}

void Database::DropIndexTable(const char* dataTable, const char* name) {
    if (!dataTable || !name) {
        return;
    }
    std::string indexTable;
    {
        Result result =
            RunQuery(Query("SELECT * FROM %s WHERE data_table = %s AND name = %s", kIndexesTable,
                           SqlLiteral(dataTable).c_str(), SqlLiteral(name).c_str()));
        if (!result.HasRow()) {
            return;
        }
        indexTable = result.NextRow().GetString("index_table");
        // No statement may still read while a table is dropped.
        result.Close();
    }
    RunQuery(Query("DELETE FROM %s WHERE data_table = %s AND name = %s", kIndexesTable,
                   SqlLiteral(dataTable).c_str(), SqlLiteral(name).c_str()));
    if (IsIndexTableName(indexTable)) {
        RunQuery(Query("DROP TABLE %s", SqlName(indexTable).c_str()));
    }
    ForgetUnregisteredSources();
}

void Database::DropIndexTable(const wxString& dataTable, const wxString& name) {
    DropIndexTable(Utf8(dataTable).c_str(), Utf8(name).c_str());
}

void Database::DropIndexTables(const char* dataTable) {
    if (!dataTable) {
        return;
    }
    std::vector<std::string> tables;
    {
        Result result = RunQuery(Query("SELECT * FROM %s WHERE data_table = %s", kIndexesTable,
                                       SqlLiteral(dataTable).c_str()));
        while (result.HasRow()) {
            tables.push_back(result.NextRow().GetString("index_table"));
        }
        result.Close();
    }
    for (const std::string& table : tables) {
        if (IsIndexTableName(table)) {
            RunQuery(Query("DROP TABLE %s", SqlName(table).c_str()));
        }
    }
    RunQuery(Query("DELETE FROM %s WHERE data_table = %s", kIndexesTable,
                   SqlLiteral(dataTable).c_str()));
    ForgetUnregisteredSources();
}

void Database::DropIndexTables(const wxString& dataTable) {
    DropIndexTables(Utf8(dataTable).c_str());
}

std::vector<IndexDeletion::ForeignRow> Database::ReadRegistryForDeletion(Query& drops) {
    std::vector<IndexDeletion::ForeignRow> foreign;
    {
        Result result =
            RunQuery(Query("SELECT data_table, name, index_table FROM %s", kIndexesTable));
        while (result.HasRow()) {
            const Row row = result.NextRow();
            const std::string table = row.GetString(2u);
            // Each name is quoted on its own; a value can never add statements.
            // A table already gone is no failure: its row just goes.
            if (IsIndexTableName(table)) {
                drops.Append("DROP TABLE IF EXISTS %s;", SqlName(table).c_str());
            } else {
                foreign.push_back({row.GetString(0u), row.GetString(1u), table, false});
            }
        }
        result.Close();
    }
    for (IndexDeletion::ForeignRow& row : foreign) {
        row.tableExists = HasTable(row.table.c_str());
        Log(LOG_CONSOLE, row.tableExists ? kForeignInputRow : kForeignMissingRow,
            row.dataTable.c_str(), row.name.c_str(), row.table.c_str());
    }
    return foreign;
}

std::vector<std::string> Database::RegisteredIndexTables() {
    std::vector<std::string> tables;
    Result result =
        RunQuery(Query("SELECT index_table FROM %s WHERE %s", kIndexesTable, OwnRows().c_str()));
    while (result.HasRow()) {
        tables.push_back(result.NextRow().GetString(0u));
    }
    return tables;
}

IndexDeletion Database::DeleteAllIndexTables() {
    IndexDeletion deletion;
    if (!connection) {
        deletion.failure.cause = FailureCause::Other;
        deletion.failure.message = "the file is not open";
        return deletion;
    }
    // The deletion's statements count as one batch: its first failure says why.
    connection->batchFailure = StatementFailure();
    connection->batchFailureSpoils = false;
    Query drops;
    deletion.foreignRows = ReadRegistryForDeletion(drops);
    RunQueries(drops);
    // Keep the registration of every table that is still there (its DROP
    // failed), so that it is never built a second time on top of old rows.
    RunQuery(
        Query("DELETE FROM %s WHERE %s AND NOT EXISTS (SELECT 1 FROM sqlite_master WHERE type = "
              "'table' AND sqlite_master.name = %s.index_table COLLATE NOCASE)",
              kIndexesTable, OwnRows().c_str(), kIndexesTable));
    deletion.undropped = RegisteredIndexTables();
    deletion.failure = connection->batchFailure;
    ForgetUnregisteredSources();
    return deletion;
}
