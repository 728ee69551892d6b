#include "cli/OptionValues.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>

#include "base/NumberText.h"

namespace {

std::vector<std::string> SplitOnCommas(const std::string& text) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == ',') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// Labels may hold commas and backslashes, written as \, and \\.
bool SplitLabels(const std::string& option, const std::string& text,
                 std::vector<std::string>& labels, std::string& error) {
    labels.assign(1, std::string());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            if (i + 1 == text.size() || (text[i + 1] != ',' && text[i + 1] != '\\')) {
                error = "malformed " + option + " \"" + text +
                        "\": a backslash must be followed by a comma or a backslash";
                return false;
            }
            labels.back() += text[++i];
        } else if (c == ',') {
            labels.emplace_back();
        } else {
            labels.back() += c;
        }
    }
    return true;
}

// A whole decimal number; nothing before or after it.
std::optional<long long> ParseInteger(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, code] = std::from_chars(text.data(), end, value);
    if (text.empty() || code != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

bool ParseTwoNumbers(const std::vector<std::string>& parts, double& first, double& second) {
    const std::optional<double> a = parts.size() == 2 ? ParseNumber(parts[0]) : std::nullopt;
    const std::optional<double> b = parts.size() == 2 ? ParseNumber(parts[1]) : std::nullopt;
    if (!a || !b) {
        return false;
    }
    first = *a;
    second = *b;
    return true;
}

}  // namespace

bool ParseSize(const std::string& text, PictureRequest& request, std::string& error) {
    const size_t cross = text.find_first_of("xX");
    const std::optional<long long> width =
        cross == std::string::npos ? std::nullopt : ParseInteger(text.substr(0, cross));
    const std::optional<long long> height =
        cross == std::string::npos ? std::nullopt : ParseInteger(text.substr(cross + 1));
    if (!width || !height) {
        error = "malformed --size \"" + text + "\": expected WIDTHxHEIGHT, for example 750x550";
        return false;
    }
    if (*width < 1 || *height < 1 || *width > kMaxExportSide || *height > kMaxExportSide) {
        error = "--size \"" + text + "\" is out of range: width and height must be 1 to " +
                std::to_string(kMaxExportSide);
        return false;
    }
    request.width = int(*width);
    request.height = int(*height);
    return true;
}

bool ParseScale(const std::string& text, PictureRequest& request, std::string& error) {
    const std::optional<long long> scale = ParseInteger(text);
    if (!scale || *scale < 1 || *scale > kMaxPictureScale) {
        error = "--scale \"" + text + "\" must be a whole number from 1 to " +
                std::to_string(kMaxPictureScale);
        return false;
    }
    request.scale = int(*scale);
    return true;
}

bool ParseLayers(const std::string& text, PictureRequest& request, std::string& error) {
    if (text.empty()) {
        return true;
    }
    for (const std::string& key : SplitOnCommas(text)) {
        const LayerDef* layer = FindLayer(key);
        if (!layer) {
            error = key.empty() ? "empty layer key in --layers \"" + text + "\""
                                : "unknown layer key \"" + key + "\" (see quenvar --help)";
            return false;
        }
        if (std::find(request.layers.begin(), request.layers.end(), layer) ==
            request.layers.end()) {
            request.layers.push_back(layer);
        }
    }
    return true;
}

bool ParseLabels(const std::string& option, const char* noun, const std::string& text,
                 std::vector<std::string>& stems, std::string& error) {
    if (text.empty()) {
        return true;
    }
    std::vector<std::string> labels;
    if (!SplitLabels(option, text, labels, error)) {
        return false;
    }
    for (const std::string& label : labels) {
        if (label.empty()) {
            error = std::string("empty ") + noun + " label in " + option + " \"" + text + "\"";
            return false;
        }
        if (std::find(stems.begin(), stems.end(), label) == stems.end()) {
            stems.push_back(label);
        }
    }
    return true;
}

bool ParseView(const std::string& text, PictureRequest& request, std::string& error) {
    const std::vector<std::string> parts = SplitOnCommas(text);
    std::vector<double> values;
    for (const std::string& part : parts) {
        if (const std::optional<double> value = ParseNumber(part)) {
            values.push_back(*value);
        }
    }
    if (parts.size() != 4 || values.size() != 4) {
        error = "malformed --view \"" + text +
                "\": expected four numbers XMIN,YMIN,XMAX,YMAX, for example 0,0,60,40";
        return false;
    }
    if (!(values[0] < values[2]) || !(values[1] < values[3])) {
        error =
            "empty --view \"" + text + "\": XMIN must be less than XMAX and YMIN less than YMAX";
        return false;
    }
    request.view = PlotRect{values[0], values[1], values[2], values[3]};
    return true;
}

bool ParsePalette(const std::string& text, PaletteOption& palette, std::string& error) {
    const struct {
        const char* name;
        PaletteOption palette;
    } names[] = {{"builtin", PaletteOption::BuiltIn},
                 {"viridis", PaletteOption::Viridis},
                 {"cividis", PaletteOption::Cividis}};
    for (const auto& entry : names) {
        if (text == entry.name) {
            palette = entry.palette;
            return true;
        }
    }
    error = "unknown --palette \"" + text + "\": expected builtin, viridis or cividis";
    return false;
}

namespace {

// The option names of the families, in RangeFamily order, and of the class rules.
const char* const kFamilyNames[kRangeFamilyCount] = {
    "uptake", "count", "tree", "uptake-diff", "count-diff", "tree-diff", "group"};
const char* const kRuleNames[] = {"equal", "quantile", "log"};

std::optional<RangeFamily> FamilyNamed(const std::string& name) {
    for (int family = 0; family < kRangeFamilyCount; ++family) {
        if (name == kFamilyNames[family]) {
            return static_cast<RangeFamily>(family);
        }
    }
    return std::nullopt;
}

}  // namespace

const char* FamilyName(RangeFamily family) {
    return kFamilyNames[static_cast<size_t>(family)];
}

const char* RuleName(ClassRule rule) {
    return kRuleNames[static_cast<size_t>(rule)];
}

bool ParseClasses(const std::string& text, PictureRequest& request, std::string& error) {
    const size_t equals = text.find('=');
    const std::optional<RangeFamily> family = FamilyNamed(text.substr(0, equals));
    const std::string rule = equals == std::string::npos ? std::string() : text.substr(equals + 1);
    const auto* found = std::find(std::begin(kRuleNames), std::end(kRuleNames), rule);
    if (!family || found == std::end(kRuleNames)) {
        error =
            "malformed --classes \"" + text +
            "\": expected uptake, count, tree or group, then =, then equal, quantile or log, for "
            "example uptake=quantile";
        return false;
    }
    std::optional<ClassRule>& classes = request.classes[static_cast<size_t>(*family)];
    if (classes) {
        error = "--classes " + text.substr(0, equals) + " is given twice";
        return false;
    }
    classes = static_cast<ClassRule>(found - std::begin(kRuleNames));
    return true;
}

bool CheckLogRanges(const PictureRequest& request, std::string& error) {
    for (int family = 0; family < kRangeFamilyCount; ++family) {
        const std::optional<ValueRange>& range = request.ranges[family];
        // A change's log steps run along its size, on either side of 0.
        const bool change = IsChangeFamily(static_cast<RangeFamily>(family));
        if (!change && request.classes[family] == ClassRule::Log && range && !(range->min > 0.0)) {
            const std::string name = kFamilyNames[family];
            error = "--classes " + name + "=log needs a value range above 0, but --range " + name +
                    "=" + NumberList({range->min, range->max}) + " starts at or below 0";
            return false;
        }
    }
    return true;
}

bool CheckGrouping(const PictureRequest& request, std::string& error) {
    if (!request.groupBy.empty()) {
        return true;
    }
    if (!request.groups.empty()) {
        error = "--groups needs --group-by COLUMN, the stem column that makes the groups";
        return false;
    }
    for (const LayerDef* layer : request.layers) {
        if (NeedsGrouping(*layer)) {
            error = std::string("the layer ") + layer->key +
                    " needs --group-by COLUMN, the stem column that makes the groups";
            return false;
        }
    }
    return true;
}

bool ParseRange(const std::string& text, PictureRequest& request, std::string& error) {
    const size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    const std::vector<std::string> parts = equals == std::string::npos
                                               ? std::vector<std::string>()
                                               : SplitOnCommas(text.substr(equals + 1));
    double low = 0.0;
    double high = 0.0;
    const std::optional<RangeFamily> found = FamilyNamed(name);
    const bool common = found && equals != std::string::npos && text.substr(equals + 1) == "common";
    if (!found || (!common && !ParseTwoNumbers(parts, low, high))) {
        error = "malformed --range \"" + text +
                "\": expected FAMILY=MIN,MAX or FAMILY=common, the family uptake, count, tree, "
                "uptake-diff, count-diff, tree-diff or group, for example uptake=0,2.5";
        return false;
    }
    const size_t family = static_cast<size_t>(*found);
    if (request.ranges[family] || request.commonRanges[family]) {
        error = "--range " + name + " is given twice";
        return false;
    }
    if (common) {
        request.commonRanges[family] = true;
        return true;
    }
    if (!(low < high)) {
        error = "empty --range \"" + text + "\": MIN must be below MAX";
        return false;
    }
    // Gains and losses share one reach, so that equal changes take mirrored colours.
    if (IsChangeFamily(*found) && low != -high) {
        const double reach = std::max(std::fabs(low), std::fabs(high));
        error = "--range " + text + " must be symmetric about 0, as " + name + "=" +
                NumberList({-reach, reach});
        return false;
    }
    request.ranges[family] = ValueRange{low, high};
    return true;
}

bool ParsePoint(const std::string& text, AtRequest& request, std::string& error) {
    const std::vector<std::string> parts = SplitOnCommas(text);
    const std::optional<double> x = parts.size() == 2 ? ParseNumber(parts[0]) : std::nullopt;
    const std::optional<double> y = parts.size() == 2 ? ParseNumber(parts[1]) : std::nullopt;
    if (!x || !y) {
        error = "malformed --at \"" + text + "\": expected two numbers X,Y, for example 12.5,30";
        return false;
    }
    request.x = *x;
    request.y = *y;
    return true;
}

bool ParseComparePath(const std::string& text, std::string& error) {
    if (text.empty()) {
        error = "--compare needs the name of the plot file to compare with";
        return false;
    }
    return true;
}

bool ParseJobs(const std::string& text, int& jobs, std::string& error) {
    const std::optional<long long> count = ParseInteger(text);
    if (!count || *count < 1 || *count > 256) {
        error = "-j \"" + text + "\" must be a whole number from 1 to 256";
        return false;
    }
    jobs = int(*count);
    return true;
}

std::string SeriesOutput(const std::string& pattern, const std::string& databasePath) {
    std::string name = databasePath.substr(databasePath.find_last_of('/') + 1);
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".db") == 0) {
        name.resize(name.size() - 3);
    }
    std::string output = pattern;
    for (size_t at = output.find("{name}"); at != std::string::npos;
         at = output.find("{name}", at + name.size())) {
        output.replace(at, 6, name);
    }
    return output;
}

bool CheckSeriesOutputs(const ExportRequest& request, std::string& error) {
    std::map<std::string, std::string> outputs;  // output, and the file it comes from
    for (const std::string& file : request.series) {
        const std::string output = SeriesOutput(request.outputPath, file);
        const auto [at, added] = outputs.emplace(output, file);
        if (!added) {
            error = "\"" + at->second + "\" and \"" + file + "\" would both be drawn into \"" +
                    output + "\": name each picture after its file with {name}, as out/{name}.png";
            return false;
        }
    }
    return true;
}

bool CheckChangeLayers(const PictureRequest& request, std::string& error) {
    for (const LayerDef* layer : request.layers) {
        if (IsChangeLayer(*layer) && request.comparePath.empty()) {
            error = std::string(layer->key) +
                    " draws the changes to another plot: give it with --compare OTHER.db";
            return false;
        }
    }
    return true;
}
