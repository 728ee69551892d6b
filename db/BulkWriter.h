// Writes new tables into a fresh SQLite file with prepared statements, in
// one transaction: for files made from scratch (the demo plot, an imported
// plot). It bypasses the catalogue and the logs; failures come back as text.
#pragma once

#include <string>

struct sqlite3;
struct sqlite3_stmt;

class BulkWriter {
  public:
    // Creates the file when it is missing; Error() tells why it could not be opened.
    explicit BulkWriter(const std::string& path);
    ~BulkWriter();
    BulkWriter(const BulkWriter&) = delete;
    BulkWriter& operator=(const BulkWriter&) = delete;

    bool IsOpen() const { return db != nullptr; }
    bool Exec(const std::string& sql);
    // Makes sql the statement that the Bind calls and Step work on.
    bool Prepare(const std::string& sql);
    // Columns count from 1, as in SQLite.
    void BindInt(int column, long long value);
    void BindDouble(int column, double value);
    void BindText(int column, const std::string& value);
    // Runs the statement once and readies it for the next row.
    bool Step();
    // Ends the prepared statement and closes the file.
    void Close();
    const std::string& Error() const { return error; }

  private:
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    std::string error;

    void Finalize();
};
