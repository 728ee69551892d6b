// What deleting every index table of a file did: which registry rows it left
// and why, so that the user is told the real cause instead of a guess.
#pragma once

#include <string>
#include <vector>

#include "db/FileProblem.h"

struct IndexDeletion {
    // A registry row whose index_table is no index table's name: dropping
    // it could cost the user a table of their own, so it is left as it is.
    struct ForeignRow {
        std::string dataTable;
        std::string name;
        std::string table;         // what its index_table names
        bool tableExists = false;  // an input table, say; otherwise no table at all
    };
    std::vector<ForeignRow> foreignRows;
    // Index tables still there, with their rows: their DROP failed.
    std::vector<std::string> undropped;
    // The first failure of the deletion's statements; cause None when all
    // ran. Locked only when a lock stopped them.
    StatementFailure failure;

    bool Complete() const {
        return foreignRows.empty() && undropped.empty() && failure.cause == FailureCause::None;
    }
};
