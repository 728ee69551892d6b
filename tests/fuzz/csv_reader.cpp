// Fuzz target: the delimited-text reader (both dialects) and the table import on any bytes.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "db/CsvReader.h"
#include "db/Database.h"

namespace {

const char* const kInput = "input.txt";
const char* const kDatabase = "import.db";

void ReadEverything(CsvReader& reader) {
    if (!reader.IsUsable()) {
        return;
    }
    const std::vector<wxString> header = reader.Header();
    for (int pass = 0; pass < 2; ++pass) {
        while (!reader.AtEnd()) {
            const CsvRow row = reader.ReadRow();
            for (size_t i = 0; i <= row.Count(); ++i) {
                row.Field(i);
                row.FieldLong(i);
                row.FieldDouble(i);
            }
            if (!header.empty()) {
                row.Field(header.front());
            }
        }
        reader.Rewind();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    EnterScratchFolder(argc, argv);
    StartToolkitBase();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteBytes(kInput, data, size);
    {
        CsvReader detected(kInput, "", true);
        ReadEverything(detected);
        CsvReader named(kInput, ",", false);
        ReadEverything(named);
        CsvReader quoted(kInput, "", false, CsvDialect::Quoted);
        ReadEverything(quoted);
    }
    {
        Database database(kDatabase);
        database.ImportCsv(kInput, "root", "varchar(256)");
        database.RunQuery("SELECT * FROM root");
    }
    RemoveRunFiles(kDatabase);
    std::remove(kInput);
    return 0;
}
