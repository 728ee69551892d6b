// A pass over a large table's rows in two halves walked at once, one on the
// caller's connection and one on a connection of its own on a second
// thread, so that a pass over the grid of a big plot takes the time of half
// of it on a machine with two cores. Both halves see one state of the file:
// the caller's connection holds its shared lock while the second one reads,
// so no other program can commit in between (a file in WAL mode lets one
// commit beside readers, so it is walked whole).
#pragma once

#include <functional>
#include <string>

#include "db/Database.h"

// The rows of one walk: all of them, or a half, as a condition for a WHERE
// clause of the table's own query.
struct RowsPart {
    int half = 0;       // 0: the first half, or all rows; 1: the second half
    std::string where;  // empty for all rows
};

// Walks the table's rows: walk is called once for all of them, or, for a
// table of at least fewestRows rows that can be split by rowid, twice at
// once on two threads, each with its own connection, for the halves in
// rowid order. A second half its own connection could not read to its end
// (another program's lock) is walked again on the caller's, so a walk may
// be called twice for half 1, and must start its half's results afresh.
// False when a walk was cut short.
using RowsWalk = std::function<bool(Database database, const RowsPart& part)>;
bool WalkInHalves(Database database, const char* table, long long fewestRows, const RowsWalk& walk);
