// Many rows into one table with a single INSERT ... SELECT over rows handed
// from memory. One statement keeps SQLite's cursors on the table and its
// indexes from row to row, where a statement per row seeks every index from
// its root each time. Values reach the table as the same values written in an
// INSERT statement would: numbers as numbers, texts converted by the column.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/Database.h"

struct sqlite3_context;

class BulkInsert {
  public:
    // The values of the row being handed over, by 0-based column.
    class Values {
      public:
        void SetDouble(int column, double value);
        void SetInt(int column, int value);
        void SetText(int column, const char* text);

        // For the table the rows are read through.
        void Reset(int columns);
        void Give(int column, sqlite3_context* context) const;

      private:
        struct Cell {
            enum Kind { Real, Integer, Text } kind = Integer;
            double real = 0.0;
            int integer = 0;
            std::string text;
        };
        std::vector<Cell> cells;
    };

    // Fills the values of one row, asked once per row in order.
    using RowFiller = std::function<void(size_t row, Values& values)>;

    // Inserts rows rows of columns values into table (a name as SQL writes it).
    // Returns the number of rows inserted; a failure of the statement is
    // logged as RunQuery logs it and inserts nothing.
    static int Run(Database& database, const std::string& table, int columns, size_t rows,
                   const RowFiller& fill);
};
