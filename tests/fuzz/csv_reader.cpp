// Fuzz target: the delimited-text reader (both dialects), the table import
// and the plot import's reading and checks, on any bytes (gzip among them).
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "data/PlotTables.h"
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

// Takes the grid as the plot writer would, and forgets it.
class NoGrid : public GridSink {
  public:
    bool StartGrid(const std::vector<std::string>& trees) override {
        count = trees.size();
        return true;
    }
    bool AddCell(long long, double, double, const double* uptake) override {
        for (size_t i = 0; i < count; ++i) {
            sum += uptake[i];
        }
        return true;
    }
    size_t count = 0;
    double sum = 0.0;
};

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
        NoGrid grid;
        PlotTables tables;
        std::string error;
        ReadPlotTables(kInput, kInput, grid, tables, error);
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
