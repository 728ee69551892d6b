#include "data/DerivedGrids.h"

#include "data/GridMix.h"

DerivedGrids::DerivedGrids(Database database, std::vector<std::string> trees, double cellSize)
    : database(database), trees(std::move(trees)), cellSize(cellSize) {}

bool DerivedGrids::GroupBy(const StemAttributes& stems, const std::string& column,
                           std::string& error) {
    if (groups && groups->column == column) {
        return true;
    }
    std::unique_ptr<TreeGroups> grouped;
    if (!column.empty()) {
        grouped = std::make_unique<TreeGroups>();
        if (!GroupTrees(stems, trees, column, *grouped, error)) {
            return false;
        }
    }
    groups = std::move(grouped);
    Drop(dominantGroups);
    for (auto& entry : groupGrids) {
        Drop(entry.second);
    }
    groupGrids.clear();
    return true;
}

void DerivedGrids::Drop(std::unique_ptr<HeldGridData>& set) {
    if (set) {
        dropped.push_back(std::move(set));
    }
}

std::vector<const GridData*> DerivedGrids::TakeDropped() {
    std::vector<const GridData*> gone;
    for (const auto& set : dropped) {
        gone.push_back(set.get());
    }
    // Kept until the callers have forgotten them, so that no other set takes their place meanwhile.
    dropped.clear();
    return gone;
}

DerivedNeeds DerivedGrids::Missing(const DerivedNeeds& needs) const {
    DerivedNeeds missing;
    missing.dominantTrees = needs.dominantTrees && !dominantTrees;
    missing.dominantGroups = needs.dominantGroups && groups && !dominantGroups;
    for (const std::string& group : needs.groups) {
        if (groups && groups->Find(group) >= 0 && groupGrids.count(group) == 0) {
            missing.groups.push_back(group);
        }
    }
    return missing;
}

bool DerivedGrids::Make(const DerivedNeeds& needs, std::string& error, ProgressMonitor* monitor) {
    const DerivedNeeds missing = Missing(needs);
    if (!missing.Any()) {
        return true;
    }
    GridMixRequest request;
    request.dominantTrees = missing.dominantTrees;
    request.groups = groups.get();
    request.dominantGroups = missing.dominantGroups;
    for (const std::string& group : missing.groups) {
        request.groupSums.push_back(groups->Find(group));
    }
    GridMix mix;
    if (!ReadGridMix(database, request, mix, error, monitor)) {
        return false;
    }
    if (request.dominantTrees) {
        dominantTrees =
            std::make_unique<HeldGridData>(std::move(mix.dominantTrees), cellSize, false);
    }
    if (request.dominantGroups) {
        dominantGroups =
            std::make_unique<HeldGridData>(std::move(mix.dominantGroups), cellSize, false);
    }
    for (size_t i = 0; i < missing.groups.size(); ++i) {
        groupGrids[missing.groups[i]] =
            std::make_unique<HeldGridData>(std::move(mix.groupSums[i]), cellSize, true);
    }
    return true;
}

HeldGridData* DerivedGrids::GroupGrid(const std::string& group) {
    const auto found = groupGrids.find(group);
    return found == groupGrids.end() ? nullptr : found->second.get();
}
