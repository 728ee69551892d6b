// One value of a query's first row: the extent and value-range queries of the
// data sets all read their answer this way.
#pragma once

#include "db/Database.h"

// Reads the column of the query's first row into value (through GetInt when
// asInteger, widened to double). Returns false, leaving value as it was, when
// the query yields no row. The result is closed before returning.
bool ReadFirstValue(Database& database, const Query& query, const char* column, double& value,
                    bool asInteger = false);
