#include "data/PlotWriter.h"

#include "db/SqlText.h"

namespace {

const char* TypeName(StemType type) {
    switch (type) {
        case StemType::Text:
            return "text";
        case StemType::Real:
            return "double";
        case StemType::Integer:
            return "integer";
    }
    return "text";
}

}  // namespace

bool PlotWriter::StartGrid(const std::vector<std::string>& trees) {
    // Value columns are declared double so that every uptake is stored as a
    // real, also the zeros: a column read as integers would truncate.
    std::string create = "CREATE TABLE grid (gridcell_id integer, x_coord double, y_coord double";
    std::string insert = "INSERT INTO grid VALUES (?, ?, ?";
    for (const std::string& tree : trees) {
        create += ", " + SqlName(tree) + " double";
        insert += ", ?";
    }
    treeCount = trees.size();
    // One transaction: fast, and a failure leaves an empty file rather than half a plot.
    return writer.Exec("BEGIN") && writer.Exec(create + ")") && writer.Prepare(insert + ")");
}

bool PlotWriter::AddCell(long long id, double x, double y, const double* uptake) {
    writer.BindInt(1, id);
    writer.BindDouble(2, x);
    writer.BindDouble(3, y);
    for (size_t t = 0; t < treeCount; ++t) {
        writer.BindDouble(int(t) + 4, uptake[t]);
    }
    return writer.Step();
}

bool PlotWriter::StartStems(const std::vector<StemField>& fields) {
    std::string create = "CREATE TABLE stem (";
    std::string insert = "INSERT INTO stem VALUES (";
    for (size_t i = 0; i < fields.size(); ++i) {
        create += (i > 0 ? ", " : "") + SqlName(fields[i].name) + " " + TypeName(fields[i].type);
        insert += i > 0 ? ", ?" : "?";
    }
    return writer.Exec(create + ")") && writer.Prepare(insert + ")");
}
