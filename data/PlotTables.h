// The grid and stem tables of a plot read from two delimited text files, as
// a root model, a spreadsheet, R or pandas writes them: the grid wide (one
// column per tree) or long (one row per cell and tree), and the stems. A
// wide grid is handed on row by row as it is read, so that no table of a
// million cells is held in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

// The columns the import looks for, named as the plot file names them.
inline constexpr char kCellIdColumn[] = "gridcell_id";
inline constexpr char kXColumn[] = "x_coord";
inline constexpr char kYColumn[] = "y_coord";
inline constexpr char kTreeColumn[] = "Tree";
inline constexpr char kUptakeColumn[] = "uptake";
inline constexpr char kStemXColumn[] = "Xrot0";
inline constexpr char kStemYColumn[] = "Yrot0";

struct StemColumn {
    std::string name;
    bool numeric = false;  // stored as REAL, a missing value as -1; otherwise as text
    std::vector<double> numbers;
    std::vector<std::string> texts;
};

// Receives the grid as it is read: its trees once, then cell after cell.
class GridSink {
  public:
    virtual ~GridSink() = default;
    virtual bool StartGrid(const std::vector<std::string>& trees) = 0;
    // One cell with one value per tree, in the order of StartGrid's trees.
    virtual bool AddCell(long long id, double x, double y, const double* uptake) = 0;
};

// What the checks keep of both tables, and the stems as they will be stored.
struct PlotTables {
    std::vector<std::string> trees;  // the grid's value columns, in order
    size_t cells = 0;
    std::set<double> distinctXs;  // the cells' coordinates
    std::set<double> distinctYs;
    std::vector<StemColumn> stems;      // Tree, Xrot0 and Yrot0 first, then the file's others
    std::vector<std::string> warnings;  // what was accepted but looks wrong
};

// Told now and then how many bytes of both files (as they lie on disk) are
// read, of how many.
using ReadProgress = std::function<void(uint64_t done, uint64_t total)>;

// Reads and checks both files, handing the grid to sink on the way. False
// with one line in error naming the file, the line and the field of the
// first problem, or with error empty when the sink refused the grid or a cell.
bool ReadPlotTables(const std::string& gridPath, const std::string& stemsPath, GridSink& sink,
                    PlotTables& tables, std::string& error, const ReadProgress& progress = {});

// Whether a delimited file's header is a stem table's (Xrot0 and Yrot0, but
// no x_coord), for files that come in no particular order.
bool HasStemHeader(const std::string& path);
