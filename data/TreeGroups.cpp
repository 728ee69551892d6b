#include "data/TreeGroups.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "base/Text.h"

const char* const kNoGroup = "(none)";

namespace {

// Numbers sort by value and before texts, which sort by their bytes, as
// SQL's ORDER BY puts them.
struct GroupKey {
    bool isText;
    double number;
    std::string text;
    bool operator<(const GroupKey& other) const {
        return std::tie(isText, number, text) < std::tie(other.isText, other.number, other.text);
    }
};

std::string ColumnList(const std::vector<std::string>& columns) {
    std::string list;
    for (const std::string& column : columns) {
        list += (list.empty() ? "" : ", ") + column;
    }
    return list;
}

}  // namespace

int TreeGroups::Find(const std::string& name) const {
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : int(found - names.begin());
}

size_t TreeGroups::TreeCount(int group) const {
    return size_t(std::count(groupOfTree.begin(), groupOfTree.end(), group));
}

bool GroupTrees(const StemAttributes& stems, const std::vector<std::string>& trees,
                const std::string& column, TreeGroups& groups, std::string& error) {
    const std::vector<std::string>& columns = stems.Columns();
    if (columns.empty()) {
        error = "the plot has no stem table, so its trees have nothing to be grouped by";
        return false;
    }
    if (std::find(columns.begin(), columns.end(), column) == columns.end()) {
        error = "the stem table has no column " + Quoted(column) + " to group the trees by (its " +
                "columns: " + ColumnList(columns) + ")";
        return false;
    }
    std::map<GroupKey, std::string> named;
    std::vector<GroupKey> keyOfTree;
    std::vector<bool> noneOfTree;
    for (const std::string& tree : trees) {
        const StemValue value = stems.Value(tree, column);
        const std::string name = ValueName(value);
        noneOfTree.push_back(name.empty());
        keyOfTree.push_back(GroupKey{value.kind == StemValue::Kind::Text,
                                     value.kind == StemValue::Kind::Number ? value.number : 0.0,
                                     value.kind == StemValue::Kind::Text ? value.text : ""});
        if (!name.empty()) {
            named.emplace(keyOfTree.back(), name);
        }
    }
    if (named.size() > kMostGroups) {
        error = "the stem column " + Quoted(column) + " has " + std::to_string(named.size()) +
                " different values among the trees; trees are grouped by a column of at most " +
                std::to_string(kMostGroups);
        return false;
    }
    groups = TreeGroups();
    groups.column = column;
    groups.trees = trees;
    for (const auto& entry : named) {
        groups.names.push_back(entry.second);
    }
    const bool anyNone = std::find(noneOfTree.begin(), noneOfTree.end(), true) != noneOfTree.end();
    if (anyNone) {
        groups.names.push_back(kNoGroup);
    }
    for (size_t i = 0; i < trees.size(); ++i) {
        groups.groupOfTree.push_back(noneOfTree[i] ? int(groups.names.size()) - 1
                                                   : groups.Find(named[keyOfTree[i]]));
    }
    return true;
}
