#include "data/RootData.h"

#include "data/FirstValue.h"
#include "db/SqlText.h"

RootData::RootData(Database database, const char* table, ProgressMonitor monitor)
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

    hasCells = ReadFirstValue(
        this->database, Query("SELECT x_coord FROM %s ORDER BY x_coord ASC LIMIT 1", t.c_str()),
        "x_coord", xMin);
    progress.AddProgress(1);
    ReadFirstValue(this->database,
                   Query("SELECT x_coord FROM %s ORDER BY x_coord DESC LIMIT 1", t.c_str()),
                   "x_coord", xMax);
    progress.AddProgress(1);
    ReadFirstValue(this->database,
                   Query("SELECT y_coord FROM %s ORDER BY y_coord ASC LIMIT 1", t.c_str()),
                   "y_coord", yMin);
    progress.AddProgress(1);
    ReadFirstValue(this->database,
                   Query("SELECT y_coord FROM %s ORDER BY y_coord DESC LIMIT 1", t.c_str()),
                   "y_coord", yMax);
    progress.AddProgress(1);
}
