#include "data/RootData.h"

#include "db/SqlText.h"
#include "db/Statement.h"

RootData::RootData(Database database, const char* table, ProgressMonitor monitor,
                   GridSource& source)
    : database(database), table(table) {
    ProgressMonitor progress(monitor);
    progress.SetMessage("Loading Root Data...");
    progress.SetTotal(5);
    progress.SetProgress(0);

    const std::string t = SqlName(table);
    {
        // The names as a result's first row gives them; a table without rows
        // has no columns, as a result without rows has none. Only the first
        // row is read: counting the rows would read the whole table.
        Statement all(this->database, Query("SELECT * FROM %s", t.c_str()).Text());
        const bool hasRow = all.Step();
        treeCount = (hasRow ? static_cast<int>(all.Columns()->Count()) : 0) - 3;
        for (unsigned i = 3; hasRow && i < all.Columns()->Count(); ++i) {
            treeNames.push_back(wxString::FromUTF8(all.Columns()->Columns()[i].name.c_str()));
        }
    }
    xMin = xMax = yMin = yMax = 100000.0;
    progress.AddProgress(1);

    // The four extents in one pass over the table.
    hasCells = source.ReadXMin(xMin);
    progress.AddProgress(1);
    source.ReadXMax(xMax);
    progress.AddProgress(1);
    source.ReadYMin(yMin);
    progress.AddProgress(1);
    source.ReadYMax(yMax);
    progress.AddProgress(1);
}
