#include "data/PlotFile.h"

#include <algorithm>
#include <cmath>

#include "base/Log.h"
#include "base/Text.h"
#include "data/SourceCheck.h"
#include "data/TreeSources.h"
#include "db/SqlText.h"

namespace {

const char* const kGridTable = "grid";
const char* const kStemTable = "stem";
const char* const kPlotSource = "SELECT * FROM grid";

// "<what> could not be built because <cause>. <consequence> <what to do>"
wxString IndexProblem(const wxString& what, const StatementFailure& failure,
                      const wxString& consequence) {
    wxString text = what + " could not be built because " +
                    wxString::FromUTF8(DescribeFailure(failure).c_str()) + ". " + consequence;
    const std::string remedy = RemedyFor(failure.cause);
    if (!remedy.empty()) {
        text += " " + wxString::FromUTF8(remedy.c_str());
    }
    return text;
}

}  // namespace

bool PlotOpening::Lacks(PlotSet set) const {
    return std::find(missing.begin(), missing.end(), set) != missing.end();
}

PlotFile::PlotFile(const wxString& path, ProgressMonitor monitor, LookupIndexes tables)
    : filePath(path), database(std::shared_ptr<Connection>()) {
    const wxScopedCharBuffer file = path.utf8_str();

    // Decide from a read-only look whether the file is ours to open at all, so
    // that somebody's other database never receives our catalogue tables.
    const DatabaseProbe probe = Database::Probe(file.data());
    if (probe.recovered) {
        Log(LOG_ERROR,
            "\"%s\" had a change left unfinished by a program that stopped; SQLite rolled it "
            "back.",
            file.data());
    }
    opening.problem = wxString::FromUTF8(ProbeRefusal(probe, file.data()).c_str());
    if (!probe.hasGrid && probe.isDatabase) {
        Log(LOG_ERROR, "No root data in database file.");
    }
    if (!probe.hasStem && probe.isDatabase) {
        Log(LOG_ERROR, "No stem data in database file.");
    }
    if (!opening.problem.empty()) {
        Log(LOG_ERROR, "%s", opening.problem.utf8_str().data());
        return;
    }
    hasRootData = probe.hasGrid;
    hasStemData = probe.hasStem;
    Open(monitor, tables);
}

void PlotFile::Open(ProgressMonitor monitor, LookupIndexes tables) {
    database = Database(filePath.utf8_str().data());
    // Taken before anything is read, so that any commit of another program
    // during the opening counts as a change since.
    openedDataVersion = database.GetDataVersion();
    // The grid is read once for its summary and both grid sets.
    plotSource = std::make_unique<GridSource>(database, kPlotSource, "x_coord", "y_coord");
    if (hasRootData && !database.GetKnownState(kGridTable)) {
        // Checking or building the index tables reads every row of grid
        // then: one pass gives the extents too.
        plotSource->GetCells();
    }
    if (hasRootData) {
        rootData = std::make_unique<RootData>(database, kGridTable, monitor, *plotSource);
    }
    if (hasStemData) {
        stemData = std::make_unique<StemData>(database, kStemTable, ProgressMonitor(0, 0));
    }
    TakeExtents();

    if (hasRootData) {
        // Without a grid there are no cells, hence no grid sets.
        uptakeGrid = std::make_unique<UptakeGridData>(database, Query("%s", kPlotSource),
                                                      kGridTable, "x_coord", "y_coord", monitor,
                                                      plotSource.get(), tables);
        neighborGrid = std::make_unique<NeighborGridData>(database, Query("%s", kPlotSource),
                                                          kGridTable, "x_coord", "y_coord", monitor,
                                                          plotSource.get(), tables);
    }
    if (!(uptakeGrid && uptakeGrid->IsTablePending()) &&
        !(neighborGrid && neighborGrid->IsTablePending())) {
        plotSource.reset();
    }
    if (hasStemData) {
        stemPoints = std::make_unique<PointData>(database, Query("SELECT * FROM %s", kStemTable),
                                                 "Tree", "Xrot0", "Yrot0", monitor);
        stemAttributes = StemAttributes::Read(database);
    }
    NoteTextValues();
    opening.status = PlotOpening::Status::Accepted;
    NoteIndexFailures();
}

// Texts in value columns that are not numbers draw as no uptake: said once
// per column, in error.log and to whoever asks.
void PlotFile::NoteTextValues() {
    const std::string file = Utf8(filePath);
    for (const std::string& warning : TextValueWarnings(database, kGridTable)) {
        dataWarnings.push_back(Quoted(file) + ": " + warning);
        Log(LOG_ERROR, "%s.", dataWarnings.back().c_str());
    }
}

// The full extent covers whichever of the two tables has rows.
void PlotFile::TakeExtents() {
    bool haveExtent = false;
    auto include = [&](double xMin, double yMin, double xMax, double yMax) {
        if (!haveExtent) {
            fullExtent = PlotRect{xMin, yMin, xMax, yMax};
            haveExtent = true;
            return;
        }
        fullExtent.xMin = std::min(fullExtent.xMin, xMin);
        fullExtent.yMin = std::min(fullExtent.yMin, yMin);
        fullExtent.xMax = std::max(fullExtent.xMax, xMax);
        fullExtent.yMax = std::max(fullExtent.yMax, yMax);
    };
    if (rootData && rootData->HasCells()) {
        include(rootData->GetXMin(), rootData->GetYMin(), rootData->GetXMax(), rootData->GetYMax());
    }
    if (stemData && stemData->GetStemCount() > 0) {
        include(stemData->GetXMin(), stemData->GetYMin(), stemData->GetXMax(), stemData->GetYMax());
    }
}

void PlotFile::NoteIndexFailures() {
    const bool uptakeFailed = uptakeGrid && !uptakeGrid->IsIndexReady();
    const bool countFailed = neighborGrid && !neighborGrid->IsIndexReady();
    if (!uptakeFailed && !countFailed) {
        return;
    }
    // Told again when a table left for later fails after the opening did not.
    if (uptakeFailed == opening.Lacks(PlotSet::Uptake) &&
        countFailed == opening.Lacks(PlotSet::TreeCount)) {
        return;
    }
    opening.status = PlotOpening::Status::Partial;
    opening.missing.clear();
    if (uptakeFailed) {
        opening.missing.push_back(PlotSet::Uptake);
    }
    if (countFailed) {
        opening.missing.push_back(PlotSet::TreeCount);
    }
    const char* consequence = !countFailed    ? "The uptake layers stay empty."
                              : !uptakeFailed ? "The tree-count layers stay empty."
                                              : "The uptake and tree-count layers stay empty.";
    const StatementFailure& failure =
        uptakeFailed ? uptakeGrid->GetBuildFailure() : neighborGrid->GetBuildFailure();
    opening.problem = IndexProblem(wxString::Format("The index tables of \"%s\"", filePath),
                                   failure, consequence);
    Log(LOG_ERROR, "%s", opening.problem.utf8_str().data());
}

// Every data set holds a copy of the database handle; once they and our own
// copy are gone, the connection closes.
PlotFile::~PlotFile() {
    // The file gets the tables an opening found missing, whether or not
    // anything was drawn.
    WritePendingTables();
    treeGrids.clear();
    derived.reset();
    stemPoints.reset();
    neighborGrid.reset();
    uptakeGrid.reset();
    rootData.reset();
    stemData.reset();
    database = Database(std::shared_ptr<Connection>());
}

GridData* PlotFile::GetGrid(PlotSet set) {
    return set == PlotSet::Uptake ? static_cast<GridData*>(uptakeGrid.get())
                                  : static_cast<GridData*>(neighborGrid.get());
}

std::vector<wxString> PlotFile::GetTreeNames() {
    if (!hasRootData || !rootData) {
        return {};
    }
    return rootData->GetTreeNames();
}

std::vector<wxString> PlotFile::GetStemAttributeNames() {
    if (!hasStemData || !stemPoints) {
        return {};
    }
    std::vector<wxString> names = stemPoints->GetColumnNames();
    if (names.size() <= 3) {
        return {};
    }
    return std::vector<wxString>(names.begin() + 3, names.end());
}

double PlotFile::GetStemValue(const wxString& label, const wxString& column) {
    if (!stemPoints) {
        return 0.0;
    }
    // The cursor is closed before returning: an open read would make SQLite
    // refuse every later DROP TABLE on this connection.
    double value = 0.0;
    for (stemPoints->First(); stemPoints->IsValid(); stemPoints->Next()) {
        if (stemPoints->GetLabel() == label) {
            value = stemPoints->GetColumnValue(column);
            break;
        }
    }
    stemPoints->Close();
    return value;
}

wxString PlotFile::GetStemText(const wxString& label, const wxString& column) const {
    return wxString::FromUTF8(
        AttributeText(stemAttributes.Value(Utf8(label), Utf8(column))).c_str());
}

DerivedGrids& PlotFile::GetDerived() {
    if (!derived) {
        std::vector<std::string> trees;
        for (const wxString& tree : GetTreeNames()) {
            trees.push_back(Utf8(tree));
        }
        // The cells stand as the uptake blocks draw them.
        const double cellSize = uptakeGrid ? uptakeGrid->GetCellSize() : 1.0;
        derived = std::make_unique<DerivedGrids>(database, std::move(trees), cellSize);
    }
    return *derived;
}

bool PlotFile::GroupTreesBy(const std::string& column, std::string& error) {
    if (!GetDerived().GroupBy(stemAttributes, column, error)) {
        return false;
    }
    for (const GridData* gone : derived->TakeDropped()) {
        sortedValues.erase(gone);
    }
    return true;
}

void PlotFile::GatherDerived(const DerivedNeeds& needs) {
    if (treesOnDemand) {
        MakeDerived(needs);
    }
}

bool PlotFile::MakeDerived(const DerivedNeeds& needs, ProgressMonitor* monitor) {
    if (!hasRootData || !GetDerived().Missing(needs).Any()) {
        return true;
    }
    std::string error;
    if (derived->Make(needs, error, monitor)) {
        derivedProblem.clear();
        return true;
    }
    derivedProblem = wxString::Format("\"%s\": %s", filePath, wxString::FromUTF8(error.c_str()));
    Log(LOG_ERROR, "%s", derivedProblem.utf8_str().data());
    return false;
}

void PlotFile::HoldCells() {
    if (uptakeGrid) {
        uptakeGrid->HoldCells();
    }
    if (neighborGrid) {
        neighborGrid->HoldCells();
    }
}

void PlotFile::NoteTreeIndexFailure(const wxString& tree, const StatementFailure& failure) {
    const wxString problem = IndexProblem(
        wxString::Format("The index table of the tree \"%s\" in \"%s\"", tree, filePath), failure,
        "Its own layers stay empty.");
    // Logged once for each time the tree's build fails after it had not.
    if (!treesWithoutIndex.emplace(tree, problem).second) {
        treesWithoutIndex[tree] = problem;
        return;
    }
    Log(LOG_ERROR, "%s", problem.utf8_str().data());
    if (treeSetProblem.empty()) {
        treeSetProblem = problem;
    }
}

wxString PlotFile::GetTreeProblem(const wxString& tree) const {
    const auto found = treesWithoutIndex.find(tree);
    return found != treesWithoutIndex.end() ? found->second : wxString();
}

std::vector<StemPosition> PlotFile::GetStemPositions() {
    std::vector<StemPosition> stems;
    if (!stemPoints) {
        return stems;
    }
    for (stemPoints->First(); stemPoints->IsValid(); stemPoints->Next()) {
        stems.push_back({stemPoints->GetLabel(), stemPoints->GetX(), stemPoints->GetY()});
    }
    stemPoints->Close();
    return stems;
}

int NearestStem(const std::vector<StemPosition>& stems, double x, double y, double& distance) {
    int nearest = -1;
    // Stems this far away or farther are never picked.
    double best = 100000.0;
    for (size_t i = 0; i < stems.size(); ++i) {
        const double dx = stems[i].x - x;
        const double dy = stems[i].y - y;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < best) {  // ties keep the stem met first
            best = d;
            nearest = static_cast<int>(i);
        }
    }
    distance = best;
    return nearest;
}

wxString PlotFile::FindNearestStem(double x, double y) {
    const std::vector<StemPosition> stems = GetStemPositions();
    double distance = 0.0;
    const int nearest = NearestStem(stems, x, y, distance);
    return nearest < 0 ? wxString("none") : stems[nearest].label;
}

bool PlotFile::IsTreeDrawable(const wxString& stemName) {
    // Only a tree that has a stem and an uptake column in the grid has
    // anything to draw.
    if (!hasStemData || !hasRootData || !rootData) {
        return false;
    }
    const std::vector<wxString> trees = rootData->GetTreeNames();
    if (std::find(trees.begin(), trees.end(), stemName) == trees.end()) {
        return false;
    }
    Result found = database.RunQuery(Query("SELECT * FROM stem WHERE Tree = %s",
                                           SqlLiteral(stemName.utf8_str().data()).c_str()));
    const ResultStatus status = found.Status();
    found.Close();
    // A read that failed (another program's lock) does not make a tree one
    // without a stem: the build that follows fails the same way, says why,
    // and is tried again at the next need.
    return status != ResultStatus::Empty;
}

const TreeUptake& PlotFile::GetTreeUptake(const wxString& label) {
    const auto known = treeUptakes.find(label);
    if (known != treeUptakes.end()) {
        return known->second;
    }
    // The same data set the tree's layers draw, so its index table is theirs.
    UptakeGridData* data = GetTreeGrid(label);
    TreeUptake tree;
    if (data) {
        tree.drawable = true;
        const char* table = data->GetTableName();
        tree.table = table != nullptr ? table : "";
        tree.minValue = data->GetMinValue();
        tree.maxValue = data->GetMaxValue();
    }
    if (!IsTreePrepared(label)) {
        // Not built (yet): nothing is drawn for it now, and the next need tries again.
        notKept = tree;
        return notKept;
    }
    return treeUptakes.emplace(label, tree).first->second;
}

bool PlotFile::IsTreePrepared(const wxString& label) const {
    const auto found = treeGrids.find(label);
    return found != treeGrids.end() && (!found->second || found->second->IsIndexReady());
}

void PlotFile::PrepareTree(const wxString& label) {
    const bool onDemand = treesOnDemand;
    treesOnDemand = true;
    GetTreeUptake(label);
    treesOnDemand = onDemand;
    if (IsTreePrepared(label)) {
        if (UptakeGridData* grid = treeGrids[label].get()) {
            grid->HoldCells();
        }
    }
}

void PlotFile::PrepareTrees(const std::vector<wxString>& labels) {
    const bool onDemand = treesOnDemand;
    treesOnDemand = true;
    GatherTrees(labels);
    treesOnDemand = onDemand;
    for (const wxString& label : labels) {
        PrepareTree(label);
    }
}

UptakeGridData* PlotFile::GetTreeGrid(const wxString& treeName) {
    if (!treesOnDemand) {
        // A failed set draws as empty until it is prepared again.
        const auto found = treeGrids.find(treeName);
        return found != treeGrids.end() ? found->second.get() : nullptr;
    }
    if (TreeGridWanted(treeName)) {
        KeepTreeGrid(treeName, nullptr);
    }
    return treeGrids[treeName].get();
}

// A set whose table could not be built is built again at the next need, as
// every drawing of the tree's layers once did.
bool PlotFile::TreeGridWanted(const wxString& treeName) const {
    const auto found = treeGrids.find(treeName);
    return found == treeGrids.end() || (found->second && !found->second->IsIndexReady());
}

void PlotFile::KeepTreeGrid(const wxString& treeName, GatheredSource* gathered) {
    WritePendingTables();
    std::unique_ptr<UptakeGridData> grid;
    if (IsTreeDrawable(treeName)) {
        // Each tree reads the grid again.
        database.KeepPagesInMemory();
        grid = UptakeGridData::ForTree(database, Utf8(treeName), ProgressMonitor(0, 0), gathered);
        if (!grid->IsIndexReady()) {
            NoteTreeIndexFailure(treeName, grid->GetBuildFailure());
        } else {
            // Built after all: the failure is over, and a later one is told again.
            treesWithoutIndex.erase(treeName);
        }
    }
    // A set made anew may take the place of one whose values were kept.
    sortedValues.clear();
    treeGrids[treeName] = std::move(grid);
}

std::shared_ptr<const std::vector<double>> PlotFile::SortedValues(GridData& set) {
    std::shared_ptr<const std::vector<double>>& kept = sortedValues[&set];
    if (!kept) {
        kept = std::make_shared<const std::vector<double>>(SortedNonZeroValues(set));
    }
    return kept;
}

void PlotFile::GatherTrees(const std::vector<wxString>& treeNames) {
    if (!treesOnDemand) {
        return;  // a window gathers its trees on the worker (PrepareTrees)
    }
    std::vector<wxString> wanted;
    for (const wxString& tree : treeNames) {
        if (TreeGridWanted(tree) && IsTreeDrawable(tree) &&
            std::find(wanted.begin(), wanted.end(), tree) == wanted.end()) {
            wanted.push_back(tree);
        }
    }
    // One tree reads its own rows as it always did.
    if (wanted.size() < 2) {
        return;
    }
    std::vector<std::string> labels;
    std::set<std::string> toBuild;
    for (const wxString& tree : wanted) {
        labels.push_back(Utf8(tree));
        // Only a table to be built needs the rows themselves.
        if (!UptakeGridData::HasTreeTable(database, labels.back())) {
            toBuild.insert(labels.back());
        }
    }
    WritePendingTables();
    database.KeepPagesInMemory();
    std::map<std::string, GatheredSource> gathered;
    std::string error;
    if (!GatherTreeSources(database, labels, toBuild, gathered, error)) {
        return;  // each tree reads its own rows, and reports what it finds
    }
    for (size_t i = 0; i < wanted.size(); ++i) {
        const auto found = gathered.find(labels[i]);
        KeepTreeGrid(wanted[i], found != gathered.end() ? &found->second : nullptr);
    }
}

bool PlotFile::LacksLookupIndexes() const {
    return (uptakeGrid && uptakeGrid->LacksLookupIndexes()) ||
           (neighborGrid && neighborGrid->LacksLookupIndexes());
}

void PlotFile::WritePendingTables() {
    if (!plotSource) {
        return;
    }
    for (IndexedGridData* set : {static_cast<IndexedGridData*>(uptakeGrid.get()),
                                 static_cast<IndexedGridData*>(neighborGrid.get())}) {
        if (set) {
            set->WritePendingTable();
        }
    }
    plotSource.reset();
    NoteIndexFailures();
}

bool PlotFile::FinishLookupIndexes() {
    WritePendingTables();
    return IndexedGridData::FinishLookupIndexes(database, kGridTable,
                                                {uptakeGrid.get(), neighborGrid.get()});
}

IndexDeletion PlotFile::DeleteIndexTables() {
    WritePendingTables();
    // Kept sets would go on naming tables that are gone; the next need
    // builds them again.
    treeUptakes.clear();
    treeGrids.clear();
    sortedValues.clear();
    treeStats.reset();
    return database.DeleteAllIndexTables();
}

wxString StemUptakeQuery(const wxString& treeLabel) {
    return wxString::FromUTF8(TreeUptakeQuery(Utf8(treeLabel)).c_str());
}

namespace {

std::string JoinedNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// Index tables that a failed statement left, and what to do about it.
std::string UndroppedText(const IndexDeletion& deletion, const std::string& file) {
    const StatementFailure& failure = deletion.failure;
    std::string text = deletion.undropped.empty()
                           ? "The index tables of " + file + " could not all be deleted"
                           : "Some index tables of " + file + " could not be deleted";
    if (failure.cause != FailureCause::None) {
        text += " because " + DescribeFailure(failure);
    }
    if (!deletion.undropped.empty()) {
        text += ": " + JoinedNames(deletion.undropped);
    }
    const std::string remedy = RemedyFor(failure.cause);
    return text + ". " +
           (remedy.empty() ? "Reload it and delete the index tables again."
                           : remedy + " Then delete the index tables again.");
}

// Registry rows that name no index table, one line each.
std::string ForeignRowsText(const IndexDeletion& deletion, const std::string& file) {
    const size_t count = deletion.foreignRows.size();
    std::string text = std::to_string(count) + (count == 1 ? " row" : " rows") +
                       " of the list of index tables of " + file + " (the table _db_indexes) " +
                       (count == 1 ? "was" : "were") + " left as " +
                       (count == 1 ? "it is" : "they are") +
                       ", because Quenvar drops only index tables, whose names begin with _idx_:";
    for (const IndexDeletion::ForeignRow& row : deletion.foreignRows) {
        text += "\n    " + row.dataTable + ", " + row.name + ": names " +
                (row.tableExists ? "the input table " + row.table
                                 : "the table " + row.table + ", which does not exist");
    }
    if (deletion.undropped.empty() && deletion.failure.cause == FailureCause::None) {
        text += "\nEvery index table was deleted; reload the plot to build them anew.";
    }
    return text +
           "\nIf these rows are not wanted, delete them from _db_indexes with the sqlite3 "
           "program.";
}

}  // namespace

wxString IndexDeletionMessage(const IndexDeletion& deletion, const wxString& fileName) {
    const std::string file = Quoted(Utf8(fileName));
    std::string text;
    if (!deletion.undropped.empty() || deletion.failure.cause != FailureCause::None) {
        text = UndroppedText(deletion, file);
    }
    if (!deletion.foreignRows.empty()) {
        text += (text.empty() ? "" : "\n\n") + ForeignRowsText(deletion, file);
    }
    return wxString::FromUTF8(text.c_str());
}
