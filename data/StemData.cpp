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

    // Ordered as numbers: a text column would put "99.5" after "123.0".
    const struct {
        const char* column;
        const char* order;
        double& value;
    } extents[] = {{"Xrot0", "ASC", xMin},
                   {"Xrot0", "DESC", xMax},
                   {"Yrot0", "ASC", yMin},
                   {"Yrot0", "DESC", yMax}};
    for (const auto& extent : extents) {
        ReadFirstValue(this->database,
                       Query("SELECT %s FROM %s ORDER BY %s %s LIMIT 1", extent.column, t.c_str(),
                             SqlNumber(extent.column).c_str(), extent.order),
                       extent.column, extent.value);
        progress.AddProgress(1);
    }
}
