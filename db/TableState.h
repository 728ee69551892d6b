// What a table held when it was last read: its rows, and for each column a
// hash of its values in row order. An index table records what the columns
// it was derived from held, so that a later opening can tell whether another
// program has changed them since.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/Row.h"

struct ColumnState {
    std::string name;
    uint64_t values = 0;  // every value with its storage type, in row order
    // The first row (counted from 1) whose value is a text that holds no
    // number, and that text; 0 when there is none.
    long long textRow = 0;
    std::string text;
};

struct TableState {
    long long rows = 0;
    std::vector<ColumnState> columns;
};

// What an index table was derived from: the rows of its data table and the
// names and values of the columns its source query reads.
struct SourceSignature {
    long long rows = 0;
    uint64_t names = 0;
    uint64_t values = 0;
    bool operator==(const SourceSignature& other) const {
        return rows == other.rows && names == other.names && values == other.values;
    }
};

// The signature of the given columns of a table (all of them when columns is
// empty). Names are matched as SQLite matches them, ignoring ASCII case.
SourceSignature SignatureOf(const TableState& state, const std::vector<std::string>& columns);

// How a source changed between two signatures, in words that follow "since
// it was built, ..."; empty when they are the same.
std::string DescribeChange(const SourceSignature& built, const SourceSignature& now,
                           const std::string& table);

// Hashes as stored in the file: 16 hexadecimal digits.
// A bijective mix of 64 bits (the finaliser of splitmix64): every bit of the
// result depends on every bit of h. The records' hashes are made with it.
uint64_t MixBits(uint64_t h);

std::string HashText(uint64_t hash);
uint64_t HashFromText(const char* text);

// Builds a table's state from the rows of a statement over it, one row at a
// time, as they are read anyway for other work.
class TableScan {
  public:
    // The statement must be prepared; its column names are taken now.
    explicit TableScan(sqlite3_stmt* statement);
    // Adds the statement's current row, and hands its values out when asked
    // (read them from there: a value read again as another type loses its
    // storage type, and reading costs as much as hashing).
    void AddRow(sqlite3_stmt* statement, std::vector<StoredValue>* values = nullptr);
    // The same a value at a time, for values handed over otherwise: a row
    // starts, then each of its values comes, in column order.
    void StartRow() { ++state.rows; }
    void AddValue(size_t column, const StoredValue& value);
    const TableState& State() const { return state; }

  private:
    TableState state;
};
