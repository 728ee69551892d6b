#include "TreePlot.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "TestSupport.h"

void MakeTreePlot(const std::string& path) {
    std::ostringstream sql;
    sql << "CREATE TABLE grid (gridcell_id INTEGER, x_coord double, y_coord double, "
           "T1 double, T2 double, T3 double);";
    int id = 0;
    for (int x = 0; x < 10; ++x) {
        for (int y = 0; y < 10; ++y) {
            sql << "INSERT INTO grid VALUES (" << id++ << ", " << x << ".0, " << y << ".0, "
                << std::max(0, 4 - std::abs(x - 2) - std::abs(y - 2)) << ".0, "
                << std::max(0, 4 - std::abs(x - 7) - std::abs(y - 3)) << ".0, "
                << std::max(0, 4 - std::abs(x - 5) - std::abs(y - 8)) << ".0);";
        }
    }
    sql << "CREATE TABLE stem (Tree TEXT, Xrot0 double, Yrot0 double, dbh double, "
           "Crown_d_m double, height double);"
           "INSERT INTO stem VALUES ('T1', 2.0, 2.0, 0.3, 4.0, 12.5);"
           "INSERT INTO stem VALUES ('T2', 7.0, 3.0, 0.5, 6.0, 20.0);"
           "INSERT INTO stem VALUES ('T3', 5.0, 8.0, 0.2, 3.0, 9.0);"
           "INSERT INTO stem VALUES ('T4', 9.0, 9.0, 0.1, 2.0, 5.0);";
    ExecSql(path, sql.str());
}
