// The outcome of one statement with forward row iteration. Copies share one
// body; the last reference finalises the statement.
#pragma once

#include <memory>
#include <vector>

#include "db/Row.h"

struct sqlite3_stmt;

enum class ResultStatus { Unset = 2, Failed = 3, HasRows = 4, Empty = 5 };

class Result {
  public:
    Result();  // Unset, no statement
    // Takes ownership of the statement; stands on the first row when rowCount > 0.
    Result(sqlite3_stmt* statement, int rowCount, ResultStatus status);
    virtual ~Result() = default;

    ResultStatus Status() const;
    bool HasRow() const;  // status HasRows and the statement stands on a row
    Row NextRow();        // the current row, then advances; empty row when none
    void Rewind();        // starts the statement again on its first row
    void Close();         // finalises the statement; HasRow is false afterwards
    int RowCount() const;
    int ColumnCount() const;
    // The column list fixed by the first row (empty when there are no rows).
    const std::vector<ColumnInfo>& Columns() const;

  private:
    struct Body;
    std::shared_ptr<Body> body;
};
