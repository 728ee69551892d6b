#include "cli/ViewCommand.h"

#include "cli/CommandLine.h"
#include "cli/OptionValues.h"

namespace {

// Labels as --stems reads them: a comma or backslash inside one is escaped.
std::string LabelList(const std::vector<std::string>& labels) {
    std::string text;
    for (const std::string& label : labels) {
        text += text.empty() ? "" : ",";
        for (char c : label) {
            text += c == ',' || c == '\\' ? std::string("\\") + c : std::string(1, c);
        }
    }
    return text;
}

const char* PaletteName(PaletteOption palette) {
    switch (palette) {
        case PaletteOption::Viridis:
            return "viridis";
        case PaletteOption::Cividis:
            return "cividis";
        case PaletteOption::BuiltIn:
        case PaletteOption::Unset:
            break;
    }
    return nullptr;  // the built-in scale is the export's own
}

}  // namespace

std::string ShellWord(const std::string& word) {
    const std::string plain =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_./,=:+-";
    if (!word.empty() && word.find_first_not_of(plain) == std::string::npos) {
        return word;
    }
    std::string quoted = "'";
    for (char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string ViewCommandText(const PictureRequest& picture, const std::string& databasePath,
                            const std::string& output) {
    std::string text = "quenvar --export " + ShellWord(output);
    text += " --size " + std::to_string(picture.width) + "x" + std::to_string(picture.height);
    if (picture.scale != 1) {
        text += " --scale " + std::to_string(picture.scale);
    }
    if (picture.view) {
        const PlotRect& v = *picture.view;
        text += " --view " + ShellWord(ViewArgument(v.xMin, v.yMin, v.xMax, v.yMax));
    }
    if (!picture.comparePath.empty()) {
        text += " --compare " + ShellWord(picture.comparePath);
    }
    std::string keys;
    for (const LayerDef* layer : picture.layers) {
        keys += (keys.empty() ? "" : ",") + std::string(layer->key);
    }
    if (!keys.empty()) {
        text += " --layers " + keys;
    }
    if (!picture.stems.empty()) {
        text += " --stems " + ShellWord(LabelList(picture.stems));
    }
    if (!picture.groupBy.empty()) {
        text += " --group-by " + ShellWord(picture.groupBy);
    }
    if (!picture.groups.empty()) {
        text += " --groups " + ShellWord(LabelList(picture.groups));
    }
    if (const char* palette = PaletteName(picture.palette)) {
        text += std::string(" --palette ") + palette;
    }
    for (int family = 0; family < kRangeFamilyCount; ++family) {
        if (const std::optional<ValueRange>& range = picture.ranges[family]) {
            text += " --range " + ShellWord(std::string(FamilyName(RangeFamily(family))) + "=" +
                                            NumberList({range->min, range->max}));
        }
        if (const std::optional<ClassRule>& rule = picture.classes[family]) {
            text += std::string(" --classes ") + FamilyName(RangeFamily(family)) + "=" +
                    RuleName(*rule);
        }
    }
    text += picture.smooth ? " --smooth" : "";
    text += picture.shape.trueProportions ? " --aspect equal" : "";
    text += picture.shape.northUp ? " --north-up" : "";
    return text + " " + ShellWord(databasePath);
}
