// Whether an index table still shows the data table it was derived from.
// Each build records what the columns its source query reads held; an
// opening compares that with what they hold now. The file's own record says
// so at no cost when nothing has changed the file since the program last
// wrote to it; otherwise the data table is read once for all its sets.
#pragma once

#include <string>
#include <vector>

#include "data/GridSource.h"
#include "db/Database.h"

class SourceCheck {
  public:
    // sourceSql: the query the index table is derived from, over dataTable.
    SourceCheck(Database database, const char* dataTable, const std::string& sourceSql);

    struct Verdict {
        bool outOfDate = false;
        // False for a table built before the program recorded its sources.
        bool recorded = true;
        std::string reason;  // why it is out of date, for the log
    };
    // source: the rows the table is built from; read here when the source
    // is the whole table and what it holds is not known, so that a build
    // after the check need not read them again.
    Verdict Check(const std::string& indexTable, GridSource& source);

    // In the build's transaction: records what the new table was derived
    // from. source: the rows the build read.
    void RecordBuild(const std::string& indexTable, GridSource& source);

    // Records in the file what was learnt of the data table, so that the
    // next opening of an unchanged file need not read it.
    void Keep();

  private:
    Database database;
    const char* dataTable;
    // The source reads the whole table, as a check reads it, so that the
    // build's own pass tells the table's state.
    bool wholeTable;
    // The columns the source reads otherwise.
    std::vector<std::string> columns;

    SourceSignature Current(GridSource* source);
};

// One line per value column of the table (the fourth column on) that holds
// text that is not a number, as the last reading of the table on this
// handle found it; such values count as no uptake.
std::vector<std::string> TextValueWarnings(const Database& database, const char* table);
