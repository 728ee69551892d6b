// One open SQLite database. Closed when the last Database sharing it goes away.
#pragma once

#include <chrono>
#include <map>
#include <string>

#include "db/FileProblem.h"
#include "db/TableState.h"

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

    // How long a connection waits for another program's lock before a
    // statement gives up: long enough for a script's short write, short
    // enough that a lock held for good is reported quickly. Only tests change it.
    static constexpr std::chrono::milliseconds kDefaultLockWait{5000};
    static std::chrono::milliseconds LockWait();
    static void SetLockWait(std::chrono::milliseconds wait);
    // Makes a handle opened elsewhere wait as every connection does.
    static void WaitForLocks(sqlite3* handle);
    // This connection's own wait, which starts at LockWait(): a thread that
    // must not wait long (the window's) shortens it while it works here.
    void SetOwnLockWait(std::chrono::milliseconds wait);
    std::chrono::milliseconds OwnLockWait() const { return std::chrono::milliseconds(ownWaitMs); }

    int GetState() const;
    void SetListener(ChangeListener listener, void* argument);
    // Statements still held by results keep the handle alive until they are finalised.
    void Close();
    sqlite3* Handle() const;

  private:
    friend class Database;

    sqlite3* handle = nullptr;
    int state = OpeningFailed;
    int ownWaitMs = 0;
    // Set once SQLite's page cache is made to hold a large plot.
    bool keepsPages = false;
    // Set while this connection holds the file for a series of reads.
    bool holdsReading = false;
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
    // The statements a lost or spoiled batch refuses are logged once.
    bool refusalLogged = false;
    // Why the current (or last) batch failed: its first failure that spoiled
    // it, or else its first failure of any kind.
    StatementFailure batchFailure;
    bool batchFailureSpoils = false;
    // Set once a statement waited the whole lock wait in vain: later changes
    // are tried once without waiting, until one of them gets through.
    bool lockWaitSpent = false;

    // What this connection learnt of a data table by reading it or from the
    // file's record, and SQLite's data version then: it holds while no other
    // connection has committed since. inFile: the file's record says the same.
    struct KnownTable {
        TableState state;
        long long dataVersion = 0;
        bool inFile = false;
    };
    std::map<std::string, KnownTable> knownTables;
    // The file's change counter when the current transaction began; -1 when
    // it cannot be told (a file in WAL mode does not keep it).
    long long counterAtBegin = -1;

    // Waits for other programs' locks as long as this connection's own wait says.
    void ApplyOwnLockWait();
    static void ForwardChange(void* connection, int code, const char* database, const char* table,
                              long long rowid);
};

// The version of the SQLite library the program runs with, for example "3.40.1".
const char* SqliteLibraryVersion();
