#include "db/TableHalves.h"

#include <sqlite3.h>

#include <chrono>
#include <optional>
#include <thread>

#include "db/SqlText.h"

namespace {

// One value of a query on the connection, or none; nothing is logged, as a
// table that cannot be split is simply walked whole.
std::optional<std::string> QuietText(sqlite3* handle, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    std::optional<std::string> text;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL) {
        text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    return text;
}

// A name of the rowid that no column of the table takes for itself.
std::optional<std::string> RowidName(sqlite3* handle, const std::string& table) {
    for (const char* name : {"rowid", "_rowid_", "oid"}) {
        const std::string sql = "SELECT count(*) FROM pragma_table_info(" + SqlLiteral(table) +
                                ") WHERE name = '" + name + "' COLLATE NOCASE";
        if (QuietText(handle, sql) == std::optional<std::string>("0")) {
            return std::string(name);
        }
    }
    return std::nullopt;
}

struct Halfway {
    std::string rowid;  // the name it is found by
    long long last;     // of the first half
};

// None when the table is small, has no rowid, or the file is in WAL mode.
// Its read takes the shared lock.
std::optional<Halfway> HalfwayRow(sqlite3* handle, const char* table, long long fewestRows) {
    const std::optional<std::string> mode = QuietText(handle, "PRAGMA journal_mode");
    const std::optional<std::string> rowid = RowidName(handle, table);
    if (!mode || sqlite3_stricmp(mode->c_str(), "wal") == 0 || !rowid) {
        return std::nullopt;
    }
    // Each alone, as SQLite finds either end of the rowids without a scan.
    const std::string from = ") FROM " + SqlName(table);
    const std::optional<std::string> first = QuietText(handle, "SELECT min(" + *rowid + from);
    const std::optional<std::string> last = QuietText(handle, "SELECT max(" + *rowid + from);
    if (!first || !last) {
        return std::nullopt;
    }
    const long long low = std::stoll(*first);
    const long long high = std::stoll(*last);
    if (high / 2 - low / 2 < fewestRows / 2) {
        return std::nullopt;
    }
    return Halfway{*rowid, low / 2 + high / 2 + (low % 2 + high % 2) / 2};
}

}  // namespace

bool WalkInHalves(Database database, const char* table, long long fewestRows,
                  const RowsWalk& walk) {
    sqlite3* handle = database.GetConnection() ? database.GetConnection()->Handle() : nullptr;
    const std::string path = database.GetPath();
    // Inside a transaction of the caller's, which may have changed the file,
    // only this connection sees what it reads.
    if (!handle || path.empty() || !sqlite3_get_autocommit(handle) || !database.BeginReading()) {
        return walk(database, RowsPart{});
    }
    const std::optional<Halfway> halfway = HalfwayRow(handle, table, fewestRows);
    // Without the hold (it could not be taken) a commit could fall between the halves.
    if (!halfway || sqlite3_get_autocommit(handle)) {
        database.EndReading();
        return walk(database, RowsPart{});
    }
    const std::string last = std::to_string(halfway->last);
    const RowsPart first{0, halfway->rowid + " <= " + last};
    const RowsPart second{1, halfway->rowid + " > " + last};
    bool secondRead = false;
    std::thread other([&] {
        Database own = Database::OpenForReading(path.c_str());
        // Waiting for a lock here would only keep the caller's connection waiting.
        own.SetLockWait(std::chrono::milliseconds(0));
        secondRead = walk(own, second);
    });
    const bool firstRead = walk(database, first);
    other.join();
    if (firstRead && !secondRead) {
        secondRead = walk(database, second);
    }
    database.EndReading();
    return firstRead && secondRead;
}
