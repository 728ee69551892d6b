// The reading side of a built set: its cursor over the index table, or over
// the table's rows held in memory.
#include <sqlite3.h>

#include "data/IndexCells.h"
#include "data/IndexedGridData.h"
#include "db/SqlText.h"
#include "db/Statement.h"

// The set's view queries are range tests on x and y that it builds itself,
// over a table whose lookup indexes it made; through the y index SQLite
// gives their rows by y, then by row id, the order the rows in memory keep.
// A table without that index (made before it, or the index dropped by
// another program) is read by the query.
IndexCells* IndexedGridData::MemoryFor(const std::string& table) {
    if (!memoryTried) {
        memoryTried = true;
        // A table still to get its lookup indexes gets this one too.
        const bool yIndexComing = lookupsPending && !HasIndex(LookupIndexName("LOCATION_Y"));
        if (yIndexComing || HasYIndex(table)) {
            memory = IndexCells::Load(database, table, xColumn, yColumn);
        }
        if (!memory && lookupsPending) {
            // Its rows are read by query, which must find them in the order the index gives.
            FinishLookupIndexes(database, dataTable, {this});
        }
    }
    return memory.get();
}

void IndexedGridData::HoldCells() {
    if (tablePending) {
        return;  // held already
    }
    const std::string table = GetTableName();
    if (!table.empty()) {
        MemoryFor(table);
    }
}

bool IndexedGridData::HasYIndex(const std::string& table) {
    Statement columns(database,
                      "SELECT i.name FROM sqlite_master AS m, pragma_index_info(m.name) AS i "
                      "WHERE m.type = 'index' AND m.name = ?1 AND m.tbl_name = ?2");
    const std::string index = LookupIndexName("LOCATION_Y");
    columns.Bind(1, index.c_str());
    columns.Bind(2, table.c_str());
    std::vector<std::string> names;
    while (columns.Step()) {
        const unsigned char* name = sqlite3_column_text(columns.Handle(), 0);
        names.emplace_back(name ? reinterpret_cast<const char*>(name) : "");
    }
    return names == std::vector<std::string>{yColumn};
}

void IndexedGridData::First() {
    Close();
    if (tablePending && filterIsView) {
        SelectHeld();
        return;
    }
    const std::string table = GetTableName();
    if (table.empty()) {
        return;  // no index table: no cells (reported when the set was loaded)
    }
    const Query query("SELECT * FROM (%s) %s", SqlName(table).c_str(), FilterText());
    if (filterIsView) {
        if (MemoryFor(table)) {
            SelectHeld();
            return;
        }
    }
    cursor = std::make_unique<Statement>(database, query.Text());
    onRow = cursor->Step();
    if (onRow) {
        xAt = cursor->Find(xColumn);
        yAt = cursor->Find(yColumn);
        countAt = cursor->Find("count");
    }
}

void IndexedGridData::SelectHeld() {
    heldView = viewRange;
    heldWalk = memory->FirstOf(heldView, false);
    onRow = heldWalk.cell != nullptr;
}

bool IndexedGridData::IsValid() {
    return onRow;
}

void IndexedGridData::Next() {
    if (!onRow) {
        return;
    }
    if (!cursor) {
        memory->Next(heldWalk, heldView, false);
        onRow = heldWalk.cell != nullptr;
        return;
    }
    onRow = cursor->Step();
}

void IndexedGridData::Close() {
    cursor.reset();
    heldWalk = IndexCells::Walk();
    onRow = false;
}

double IndexedGridData::GetValue() {
    if (!onRow) {
        return 0.0;
    }
    return cursor ? cursor->GetDouble(countAt) : heldWalk.cell->count;
}

double IndexedGridData::GetX() {
    if (!onRow) {
        return 0.0;
    }
    return cursor ? cursor->GetDouble(xAt) : memory->ReadX(*heldWalk.cell);
}

double IndexedGridData::GetY() {
    if (!onRow) {
        return 0.0;
    }
    return cursor ? cursor->GetDouble(yAt) : memory->ReadY(*heldWalk.cell);
}

bool IndexedGridData::ReadLevelCells(const ViewFilter& view, std::vector<LevelCell>& cells) {
    cells.clear();
    const std::string table = tablePending ? std::string() : GetTableName();
    IndexCells* rows = tablePending ? memory.get() : table.empty() ? nullptr : MemoryFor(table);
    if (!rows || view.kind != ViewFilter::EdgesIncluded || !rows->HoldLevels(database, table)) {
        return false;
    }
    const ViewFilter range = RangeOf(view);
    for (IndexCells::Walk walk = rows->FirstOf(range, true); walk.cell;
         rows->Next(walk, range, true)) {
        const IndexCells::Cell& cell = *walk.cell;
        const IndexCells::Levels& around = rows->LevelsOf(cell);
        cells.push_back(LevelCell{rows->ReadX(cell), rows->ReadY(cell), cell.count, around.n,
                                  around.e, around.s, around.w});
    }
    return true;
}
