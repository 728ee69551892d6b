// The handle callers hold on an open SQLite file: statements, the program's
// catalogue tables and the registry of cached index tables. Copies share one
// connection, which closes when the last copy goes. A Database made from a
// null connection is a closed handle: every statement fails, nothing is logged.
#pragma once

#include <wx/string.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "db/Connection.h"
#include "db/IndexDeletion.h"
#include "db/Query.h"
#include "db/Result.h"
#include "db/TableState.h"

// What a file holds, learnt without writing to it (except for SQLite's own
// rollback of a change that a program left unfinished).
struct DatabaseProbe {
    bool isDatabase = false;  // SQLite can read its schema
    bool hasGrid = false;     // a table or view that reads
    bool hasStem = false;
    bool readOnly = false;  // the file or its folder cannot be written
    bool locked = false;    // another program held its lock past the wait
    // A program stopped in the middle of a change and left its journal:
    // recovered when SQLite rolled the change back, needsRecovery when it
    // could not (the file is read-only) and the file was left as it is.
    bool recovered = false;
    bool needsRecovery = false;
};

class Database {
  public:
    explicit Database(const char* path);
    explicit Database(const wxString& path);
    explicit Database(std::shared_ptr<Connection> connection);
    Database();  // a new database at a temporary file name
    // Opens the database, then imports the two delimited text files as `root` and `stem`.
    Database(const char* path, const char* rootFile, const char* stemFile);
    Database(const wxString& path, const wxString& rootFile, const wxString& stemFile);

    // Reads the file's tables read-only; never creates or changes the file.
    static DatabaseProbe Probe(const char* path);
    // A handle of its own that only reads the file: nothing is created, not
    // even the catalogue tables, so a worker thread may read beside the
    // handle the window uses.
    static Database OpenForReading(const char* path);

    Result RunQuery(const Query& query);
    Result RunQuery(const char* sql);
    Result RunQuery(const wxString& sql);
    // Steps each statement of the text once; returns how many failed.
    int RunQueries(const Query& query);
    int RunQueries(const char* sql);
    int RunQueries(const wxString& sql);

    // One transaction around a batch of changes. Commit returns false (after
    // rolling back) when the changes could not be made durable: the file is
    // read-only, COMMIT failed, or SQLite abandoned the transaction after an
    // error (statements of the batch are then refused until Commit or Rollback).
    bool Begin();
    bool Commit();
    void Rollback();
    // Why the last batch could not be committed; cause None when it could.
    StatementFailure GetBatchFailure() const;

    // True when SQLite opened the file read-only (the file or its folder cannot be written).
    bool IsReadOnly();

    // Lets SQLite keep a large plot's pages in memory from now on, for work
    // that reads the grid again and again (the trees' own sets). A single
    // pass is cheaper without: the pages it would keep cost memory and time.
    void KeepPagesInMemory();

    // How long statements on this handle (and every copy of it) wait for
    // another program's lock; Connection::LockWait() at first.
    void SetLockWait(std::chrono::milliseconds wait);
    std::chrono::milliseconds GetLockWait() const;
    // Holds the file for a series of reads, so that they all see one state of
    // it and no other program's commit can lock them out halfway. False,
    // quietly, only when another program keeps the file for longer than the
    // lock wait; nothing is held then, nor when the reads may go ahead
    // without it (inside a transaction, or a failure they will report).
    bool BeginReading();
    void EndReading();

    // Reads the table as the catalogue does; a missing table logs a compile error.
    bool TableExists(const char* table);
    bool TableExists(const wxString& table);
    // Looks the table up in the schema; logs nothing when it is missing.
    bool HasTable(const char* table);
    double GetVersion();
    void SetVersion(double version);

    bool IndexExists(const char* dataTable, const char* name);
    bool IndexExists(const wxString& dataTable, const wxString& name);
    std::string IndexTableName(const char* dataTable, const char* name);
    std::string IndexTableName(const wxString& dataTable, const wxString& name);
    // The name the index table of a pair gets, registered or not.
    static std::string FormIndexTableName(const char* dataTable, const char* name);
    // Creates and registers the index table; empty when the pair was registered already.
    std::string CreateIndexTable(const char* dataTable, const char* name, const Query& columns);
    std::string CreateIndexTable(const wxString& dataTable, const wxString& name,
                                 const Query& columns);
    // Only registered names that begin with "_idx_" are ever dropped.
    void DropIndexTable(const char* dataTable, const char* name);
    void DropIndexTable(const wxString& dataTable, const wxString& name);
    void DropIndexTables(const char* dataTable);
    void DropIndexTables(const wxString& dataTable);
    // Drops every registered index table and says what it left: a
    // registration whose table is still there (its DROP failed) is kept, as
    // is one that names no index table (logged on the console channel).
    IndexDeletion DeleteAllIndexTables();

    // What index tables were derived from, kept beside the registry in the
    // program's own tables `_db_sources` (one row per index table) and
    // `_db_checked` (what each data table held when last read, with the
    // file's change counter then), so that an opening tells a table another
    // program has changed since without reading an unchanged file.

    // SQLite's data version of the file on this connection: it changes when
    // another connection (another program, or another handle in this one)
    // commits a change to the file, never for this handle's own writes. A
    // window compares it with the value it had at some moment to learn
    // whether the file has changed on disk since. 0 for a closed handle.
    long long GetDataVersion();
    // What the index table was derived from, as recorded when it was built;
    // none for a table built before such records were kept.
    std::optional<SourceSignature> GetIndexSource(const std::string& indexTable);
    // Records it, in the transaction that builds the table. The data
    // table's state is recorded too when this handle knows it to be current.
    void SetIndexSource(const std::string& indexTable, const char* dataTable,
                        const SourceSignature& signature);
    // What the data table holds now, when that is known without reading it:
    // learnt on this handle with nobody committing since, or recorded in the
    // file by an opening after which the file has not changed (its change
    // counter says so; a file in WAL mode does not keep one, so never there).
    std::optional<TableState> GetKnownState(const char* dataTable);
    // In a transaction that changes the file for another reason: records the
    // data table's state again when this handle knows it to be current, so
    // that the commit does not make the next opening read the table.
    void RecordKnownState(const char* dataTable);
    // Reads every row of the data table and keeps what it holds as known.
    TableState ReadTableState(const char* dataTable);
    // Keeps a state read by a pass over the table's rows that began at the
    // given data version.
    void SetKnownState(const char* dataTable, const TableState& state, long long dataVersion);
    // The last state learnt of the table on this handle, current or not; null when none.
    const TableState* GetLastState(const char* dataTable) const;
    // Records the known state in the file when the file does not hold it
    // yet, so that the next opening need not read the table. Does nothing,
    // quietly and without waiting, when the file cannot take it now
    // (read-only, locked, in WAL mode).
    void KeepKnownState(const char* dataTable);

    void ImportCsv(const char* file, const char* table, const char* columnType);

    std::shared_ptr<Connection> GetConnection() const { return connection; }
    int GetState() const;
    // The file the connection works on; empty for a closed handle.
    std::string GetPath() const;

  private:
    friend class Statement;

    std::shared_ptr<Connection> connection;

    void SetUpCatalogue();
    sqlite3* OpenHandle() const;
    void NoteFailure(int code);
    int Step(sqlite3_stmt* statement);
    void RecordBatchFailure(const StatementFailure& failure, bool spoils);
    bool RefusesStatements(const char* sql);
    void EndBatch();
    // Log a statement that did not compile or did not run, and note the
    // failure for the transaction it belongs to.
    void ReportCompileFailure(const char* sql, int code);
    void ReportRunFailure(int code);
    // Log a walk over rows cut short (a damaged page, a lock).
    void ReportWalkFailure(int code);
    // The change counter in the file's header; -1 when it cannot be told or
    // is not kept (WAL mode). Only while this handle holds a lock on the file.
    long long ReadChangeCounter();
    std::optional<TableState> ReadCheckedState(const char* dataTable, long long& dataVersion);
    // The statements that record a data table's state (inside a transaction).
    std::string CheckedStateSql(const char* dataTable, const TableState& state);
    // Those statements for the state known to be current; empty when none is.
    std::string CurrentCheckedSql(const char* dataTable);
    void ForgetUnregisteredSources();
    // The registry rows that name no index table, as Delete Index Tables
    // leaves them; the drops of the others in drops.
    std::vector<IndexDeletion::ForeignRow> ReadRegistryForDeletion(Query& drops);
    std::vector<std::string> RegisteredIndexTables();
};
