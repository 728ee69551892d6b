#include "data/StemData.h"

#include "data/FirstValue.h"
#include "db/SqlText.h"

StemData::StemData(Database database, const char* table, ProgressMonitor monitor)
    : database(database), table(table) {
    ProgressMonitor progress(monitor);
    progress.SetMessage("Loading Stem Data...");
    progress.SetTotal(5);
    progress.SetProgress(0);

    const std::string t = SqlName(table);
    {
        Result all = this->database.RunQuery(Query("SELECT * FROM %s", t.c_str()));
        stemCount = all.RowCount();
        all.Close();
    }
    xMin = xMax = yMin = yMax = 100000.0;
    progress.AddProgress(1);

    ReadFirstValue(this->database,
                   Query("SELECT Xrot0 FROM %s ORDER BY Xrot0 ASC LIMIT 1", t.c_str()), "Xrot0",
                   xMin);
    progress.AddProgress(1);
    ReadFirstValue(this->database,
                   Query("SELECT Xrot0 FROM %s ORDER BY Xrot0 DESC LIMIT 1", t.c_str()), "Xrot0",
                   xMax);
    progress.AddProgress(1);
    ReadFirstValue(this->database,
                   Query("SELECT Yrot0 FROM %s ORDER BY Yrot0 ASC LIMIT 1", t.c_str()), "Yrot0",
                   yMin);
    progress.AddProgress(1);
    ReadFirstValue(this->database,
                   Query("SELECT Yrot0 FROM %s ORDER BY Yrot0 DESC LIMIT 1", t.c_str()), "Yrot0",
                   yMax);
    progress.AddProgress(1);
}
