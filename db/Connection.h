// One open SQLite database. Closed when the last Database sharing it goes away.
#pragma once

struct sqlite3;

// Change codes handed to a listener: 6 inserted, 7 deleted, 8 updated.
using ChangeListener = void (*)(void* argument, int change, const char* table);

class Connection {
  public:
    enum State { Opened = 1, OpeningFailed = 2 };

    explicit Connection(const char* path);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int GetState() const;
    void SetListener(ChangeListener listener, void* argument);
    void Close();
    sqlite3* Handle() const;

  private:
    sqlite3* handle = nullptr;
    int state = OpeningFailed;
    ChangeListener listener = nullptr;
    void* listenerArgument = nullptr;

    static void ForwardChange(void* connection, int code, const char* database, const char* table,
                              long long rowid);
};
