// One open SQLite database. Closed when the last Database sharing it goes away.
#pragma once

struct sqlite3;

// Change codes handed to a listener: 6 inserted, 7 deleted, 8 updated.
using ChangeListener = void (*)(void* argument, int change, const char* table);

class Connection {
  public:
    enum State { Opened = 1, OpeningFailed = 2 };
    enum Mode { ReadWrite, ReadOnly };

    // ReadWrite creates a missing file; ReadOnly never creates nor writes.
    explicit Connection(const char* path, Mode mode = ReadWrite);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int GetState() const;
    void SetListener(ChangeListener listener, void* argument);
    // Statements still held by results keep the handle alive until they are finalised.
    void Close();
    sqlite3* Handle() const;

  private:
    friend class Database;

    sqlite3* handle = nullptr;
    int state = OpeningFailed;
    ChangeListener listener = nullptr;
    void* listenerArgument = nullptr;
    // Set between Begin and Commit/Rollback. When SQLite rolls the transaction
    // back on its own (disk full, I/O error), the batch is lost: statements are
    // refused until the caller ends it, so no part of it is committed alone.
    bool inTransaction = false;
    bool transactionLost = false;
    // Set when a statement of the batch failed because the file cannot take
    // it at all (read-only, not a database, damaged, full): the batch is incomplete.
    bool batchSpoiled = false;

    static void ForwardChange(void* connection, int code, const char* database, const char* table,
                              long long rowid);
};

// The version of the SQLite library the program runs with, for example "3.40.1".
const char* SqliteLibraryVersion();
