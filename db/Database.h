// The handle callers hold on an open SQLite file: statements, the program's
// catalogue tables and the registry of cached index tables. Copies share one
// connection, which closes when the last copy goes.
#pragma once

#include <wx/string.h>

#include <memory>
#include <string>

#include "db/Connection.h"
#include "db/Query.h"
#include "db/Result.h"

// What a file holds, learnt without writing to it.
struct DatabaseProbe {
    bool isDatabase = false;  // SQLite can read its schema
    bool hasGrid = false;
    bool hasStem = false;
    bool readOnly = false;  // the file or its folder cannot be written
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

    Result RunQuery(const Query& query);
    Result RunQuery(const char* sql);
    Result RunQuery(const wxString& sql);
    // Steps each statement of the text once; returns how many failed.
    int RunQueries(const Query& query);
    int RunQueries(const char* sql);
    int RunQueries(const wxString& sql);

    // One transaction around a batch of changes. Commit returns false (after
    // rolling back) when the changes could not be made durable.
    bool Begin();
    bool Commit();
    void Rollback();

    bool TableExists(const char* table);
    bool TableExists(const wxString& table);
    double GetVersion();
    void SetVersion(double version);

    bool IndexExists(const char* dataTable, const char* name);
    std::string IndexTableName(const char* dataTable, const char* name);
    // Creates and registers the index table; empty when the pair was registered already.
    std::string CreateIndexTable(const char* dataTable, const char* name, const Query& columns);
    void DropIndexTable(const char* dataTable, const char* name);
    void DropIndexTables(const char* dataTable);
    void DeleteAllIndexTables();

    void ImportCsv(const char* file, const char* table, const char* columnType);

    std::shared_ptr<Connection> GetConnection() const { return connection; }
    int GetState() const;

  private:
    std::shared_ptr<Connection> connection;

    void SetUpCatalogue();
};
