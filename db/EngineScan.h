// A walk over a query's rows in which SQLite hands us each row's values from
// inside its engine, through a function of ours that the walking statement
// calls once per row, rather than our fetching every value through the
// statement: on a wide table that fetching costs as much again as SQLite's
// own reading of the rows.
#pragma once

#include <functional>
#include <string>

#include "db/Database.h"

struct sqlite3;
struct sqlite3_value;

class EngineScan {
  public:
    // Values of one row, columns [first, first + count) in column order. A
    // row too wide for one call of the function comes in several parts, in
    // order; rowEnd follows its last.
    using Part = std::function<void(int first, int count, sqlite3_value** values)>;
    using RowEnd = std::function<void()>;

    // sourceSql: the query whose rows are walked.
    EngineScan(Database database, const std::string& sourceSql);

    // False when the query's columns cannot be handed over this way (names
    // that repeat, or that SQLite does not find again); nothing is logged then.
    bool IsUsable() const { return !walkSql.empty(); }
    int ColumnCount() const { return columns; }
    // Walks every row; false when the walk was cut short (a failure, logged
    // as a Statement logs it).
    bool Walk(const Part& part, const RowEnd& rowEnd);

  private:
    Database database;
    std::string walkSql;
    int columns = 0;
    int perCall = 0;
};

// Gives a connection the function the walks call; done when it is opened.
void RegisterScanFunction(sqlite3* handle);
