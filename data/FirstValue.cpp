#include "data/FirstValue.h"

bool ReadFirstValue(Database& database, const Query& query, const char* column, double& value,
                    bool asInteger) {
    Result result = database.RunQuery(query);
    const bool found = result.HasRow();
    if (found) {
        const Row row = result.NextRow();
        value = asInteger ? static_cast<double>(row.GetInt(column)) : row.GetDouble(column);
    }
    result.Close();
    return found;
}
