// The rows of many trees' uptake sets, gathered in one pass over grid instead
// of one pass per tree. Each tree's source is what UptakeGridData::ForTree
// reads for it alone: the cells where its value is not 0, with the extents
// of their positions, read exactly as that tree's own query reads them.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "data/GridSource.h"
#include "db/Database.h"

// trees: grid columns by their exact names (others are left out of the
// result). withCells: the trees whose rows are kept as well, for a build of
// their index tables; the others get their extents alone. False, with one
// line in error, when the pass cannot stand for the trees' own queries (the
// grid lacks a position column, or cannot be read to its end): the caller
// then reads tree by tree.
bool GatherTreeSources(Database database, const std::vector<std::string>& trees,
                       const std::set<std::string>& withCells,
                       std::map<std::string, GatheredSource>& gathered, std::string& error);
