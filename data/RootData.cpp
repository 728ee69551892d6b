#include "data/RootData.h"

#include "db/SqlText.h"

namespace {

// The first row's value of the column, when the query yields a row.
bool ReadFirst(Database& database, const Query& query, const char* column, double& value) {
    Result result = database.RunQuery(query);
    const bool found = result.HasRow();
    if (found) {
        value = result.NextRow().GetDouble(column);
    }
    result.Close();
    return found;
}

}  // namespace

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

    hasCells = ReadFirst(this->database,
                         Query("SELECT x_coord FROM %s ORDER BY x_coord ASC LIMIT 1", t.c_str()),
                         "x_coord", xMin);
    progress.AddProgress(1);
    ReadFirst(this->database,
              Query("SELECT x_coord FROM %s ORDER BY x_coord DESC LIMIT 1", t.c_str()), "x_coord",
              xMax);
    progress.AddProgress(1);
    ReadFirst(this->database,
              Query("SELECT y_coord FROM %s ORDER BY y_coord ASC LIMIT 1", t.c_str()), "y_coord",
              yMin);
    progress.AddProgress(1);
    ReadFirst(this->database,
              Query("SELECT y_coord FROM %s ORDER BY y_coord DESC LIMIT 1", t.c_str()), "y_coord",
              yMax);
    progress.AddProgress(1);
}
