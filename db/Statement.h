// One compiled statement for the bulk work of the data sets: a write run
// once per row with its values bound, or a read stepped over its rows once.
// Unlike RunQuery it neither counts the rows first nor runs the statement
// again from the start. Failures are logged and noted for the transaction as
// RunQuery does; values read as a Row reads them.
#pragma once

#include <memory>

#include "db/Database.h"
#include "db/Row.h"

struct sqlite3_stmt;

class Statement {
  public:
    Statement(Database database, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Values for the next run, by 1-based position. A text is converted by
    // SQLite as it converts the same text written in the statement.
    void Bind(int position, const char* text);
    // Runs a write once; false (logged) when it failed.
    bool Execute();

    // Steps to the next row of a read; false at its end or on a failure
    // (logged). The first row fixes the column types, as in a Result.
    bool Step();
    // Makes the statement ready to run again; bound values stay.
    void Reset();
    // Finalises the statement; Step is false afterwards.
    void Close();
    // True once a read has stepped past its last row (not stopped by a failure).
    bool Finished() const { return finished; }
    // For reading the current row's values as SQLite holds them.
    sqlite3_stmt* Handle() const { return statement; }
    // The columns fixed by the first row; empty before it.
    const RowColumns* Columns() const { return columns.get(); }
    // The position a name reads (the last column of that name), or -1.
    int Find(const char* name) const;
    // Values of the current row by position, as Row::GetDouble and GetInt read them.
    double GetDouble(int position) const;
    int GetInt(int position) const;

  private:
    Database database;
    sqlite3_stmt* statement = nullptr;
    std::shared_ptr<const RowColumns> columns;
    bool onRow = false;
    bool stepped = false;
    bool finished = false;
};
