#include "data/RootData.h"

#include "db/SqlText.h"

RootData::RootData(Database database, const char* table, ProgressMonitor monitor,
                   GridSource& source)
    : database(database), table(table) {
    ProgressMonitor progress(monitor);
    progress.SetMessage("Loading Root Data...");
    progress.SetTotal(5);
    progress.SetProgress(0);

    const std::string t = SqlName(table);
    {
        Result all = this->database.RunQuery(Query("SELECT * FROM %s", t.c_str()));
        treeCount = all.ColumnCount() - 3;
        const std::vector<ColumnInfo>& columns = all.Columns();
        for (size_t i = 3; i < columns.size(); ++i) {
            treeNames.push_back(wxString::FromUTF8(columns[i].name.c_str()));
        }
        all.Close();
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
