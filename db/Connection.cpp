#include "db/Connection.h"

#include <sqlite3.h>

#include <atomic>

#include "base/Log.h"
#include "base/NumberText.h"
#include "db/EngineScan.h"
#include "db/SqlText.h"

namespace {

std::atomic<long long> lockWaitMs{Connection::kDefaultLockWait.count()};

// SQL's reading of a value as a number, the same as the program's own: a
// text holding a number gives that number, any other text 0; numbers and
// NULL stay as they are. Sorting and comparing through it orders numbers
// stored as text ("99.5", "123.0") as numbers rather than as texts.
void NumberOf(sqlite3_context* context, int, sqlite3_value** arguments) {
    sqlite3_value* value = arguments[0];
    const int type = sqlite3_value_type(value);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT || type == SQLITE_NULL) {
        sqlite3_result_value(context, value);
        return;
    }
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    const std::optional<double> number = text ? NumberInText(text) : std::nullopt;
    sqlite3_result_double(context, number ? *number : 0.0);
}

}  // namespace

std::chrono::milliseconds Connection::LockWait() {
    return std::chrono::milliseconds(lockWaitMs.load());
}

void Connection::SetLockWait(std::chrono::milliseconds wait) {
    lockWaitMs.store(wait.count());
}

void Connection::WaitForLocks(sqlite3* handle) {
    if (handle) {
        sqlite3_busy_timeout(handle, static_cast<int>(lockWaitMs.load()));
    }
}

void Connection::SetOwnLockWait(std::chrono::milliseconds wait) {
    ownWaitMs = static_cast<int>(wait.count());
    ApplyOwnLockWait();
}

void Connection::ApplyOwnLockWait() {
    if (handle) {
        sqlite3_busy_timeout(handle, ownWaitMs);
    }
}

Connection::Connection(const char* path, Mode mode) : ownWaitMs(int(lockWaitMs.load())) {
    // One thread at a time works on a connection (the opening worker, then
    // the window), so SQLite's own locking of every call is not needed; it
    // costs a quarter of the time of reading a grid.
    const int access =
        mode == ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    int code = sqlite3_open_v2(path ? path : "", &handle, access | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_update_hook(handle, ForwardChange, this);
        sqlite3_create_function_v2(handle, kNumberFunction, 1,
                                   SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                   NumberOf, nullptr, nullptr, nullptr);
        RegisterScanFunction(handle);
        ApplyOwnLockWait();
        state = Opened;
    } else {
        // The handle stays: statements on it fail and are logged one by one.
        Log(LOG_ERROR, "Error opening database.\n");
        state = OpeningFailed;
    }
}

Connection::~Connection() {
    Close();
}

int Connection::GetState() const {
    return state;
}

void Connection::SetListener(ChangeListener newListener, void* argument) {
    listener = newListener;
    listenerArgument = argument;
}

void Connection::Close() {
    if (!handle) {
        return;
    }
    // A result that outlives the connection must not call back into it.
    sqlite3_update_hook(handle, nullptr, nullptr);
    sqlite3_close_v2(handle);
    handle = nullptr;
}

sqlite3* Connection::Handle() const {
    return handle;
}

void Connection::ForwardChange(void* argument, int code, const char*, const char* table,
                               long long) {
    Connection* connection = static_cast<Connection*>(argument);
    if (!connection->listener) {
        return;
    }
    int change = 0;
    switch (code) {
        case SQLITE_INSERT:
            change = 6;
            break;
        case SQLITE_DELETE:
            change = 7;
            break;
        case SQLITE_UPDATE:
            change = 8;
            break;
        default:
            return;
    }
    connection->listener(connection->listenerArgument, change, table);
}

const char* SqliteLibraryVersion() {
    return sqlite3_libversion();
}
