#include "cli/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "cli/CommandArguments.h"
#include "cli/CoordinateSystem.h"
#include "cli/OptionValues.h"

namespace {

CommandLine Failure(const std::string& error) {
    CommandLine line;
    line.mode = CommandMode::Error;
    line.error = error;
    return line;
}

const char* const kImportUsage = "quenvar import GRID STEMS OUT.db [--force] [--log-dir DIR]";
const char* const kStatsUsage =
    "quenvar stats FILE.db... [--trees LABEL,... | --by COLUMN] [--output OUT.csv] [--overlap] "
    "[--compare OTHER.db] [--log-dir DIR]";
const char* const kLogDirOfCommands =
    "--log-dir belongs to --export, --at, import, stats and grid: the window writes its logs in "
    "the working folder";

bool IsStatsOption(Option option) {
    return option == Option::Trees || option == Option::Output || option == Option::Overlap ||
           option == Option::By;
}

std::string StatsOnly(Option option) {
    return std::string(OptionText(option)) + " belongs to stats: " + kStatsUsage;
}
const char* const kForceMisplaced =
    "--force belongs to import: quenvar import GRID STEMS OUT.db --force";

bool IsGridOption(Option option) {
    return option == Option::Layer || option == Option::Tree || option == Option::Crs;
}

std::string GridOnly(Option option) {
    return std::string(OptionText(option)) + " belongs to grid: " + kGridUsage;
}

std::string ExportOnly(Option option) {
    return std::string(OptionText(option)) + " belongs to the export: use it with --export OUT.png";
}

bool ApplyExportOption(Option option, const std::string& value, ExportRequest& request,
                       std::string& error) {
    switch (option) {
        case Option::Export:
            request.outputPath = value;
            if (value.empty()) {
                error = "--export needs the name of the picture file to write (PNG, SVG or PDF)";
                return false;
            }
            return true;
        case Option::Size:
            return ParseSize(value, request.picture, error);
        case Option::Scale:
            return ParseScale(value, request.picture, error);
        case Option::Layers:
            return ParseLayers(value, request.picture, error);
        case Option::Stems:
            return ParseLabels("--stems", "stem", value, request.picture.stems, error);
        case Option::View:
            return ParseView(value, request.picture, error);
        case Option::Force:
            error = kForceMisplaced;
            return false;
        case Option::Palette:
            return ParsePalette(value, request.picture.palette, error);
        case Option::Range:
            return ParseRange(value, request.picture, error);
        case Option::Classes:
            return ParseClasses(value, request.picture, error);
        case Option::Smooth:
            request.picture.smooth = true;
            return true;
        case Option::GroupBy:
            request.picture.groupBy = value;
            if (value.empty()) {
                error = "--group-by needs the stem column to group the trees by";
                return false;
            }
            return true;
        case Option::Groups:
            return ParseLabels("--groups", "group", value, request.picture.groups, error);
        case Option::Compare:
            request.picture.comparePath = value;
            return ParseComparePath(value, error);
        case Option::Jobs:
            return ParseJobs(value, request.jobs, error);
        case Option::Trees:
        case Option::Output:
        case Option::Overlap:
        case Option::By:
            error = StatsOnly(option);
            return false;
        case Option::Layer:
        case Option::Tree:
        case Option::Crs:
        case Option::Group:
            error = GridOnly(option);
            return false;
        case Option::Aspect:
            // "fill", the plain stretch, is there to say so in a script.
            request.picture.shape.trueProportions = value == "equal";
            if (value != "equal" && value != "fill") {
                error = "unknown --aspect \"" + value + "\": expected equal or fill";
                return false;
            }
            return true;
        case Option::NorthUp:
            request.picture.shape.northUp = true;
            return true;
        case Option::Legend:
            request.picture.legend = true;
            return true;
        case Option::At:
        case Option::LogDir:
        case Option::Help:
        case Option::Version:
            return true;
    }
    return true;
}

// The window takes the file to open and the options that choose what it
// shows first (colour scale, layers, stems, view), read as the export reads them.
CommandLine WindowCommandLine(const Arguments& arguments) {
    CommandLine line;
    std::string error;
    for (const auto& [option, value] : arguments.given) {
        const bool windowOption =
            option == Option::Layers || option == Option::Stems || option == Option::View ||
            option == Option::Palette || option == Option::Range || option == Option::Classes ||
            option == Option::Smooth || option == Option::Aspect || option == Option::NorthUp ||
            option == Option::GroupBy || option == Option::Groups || option == Option::Compare;
        // --force and the options of stats are refused by the export's
        // reading, with their own messages.
        if (!windowOption && option != Option::Force && !IsStatsOption(option) &&
            !IsGridOption(option)) {
            return Failure(ExportOnly(option));
        }
        if (!ApplyExportOption(option, value, line.request, error)) {
            return Failure(error);
        }
    }
    if (arguments.files.size() > 1) {
        return Failure("more than one file given (see quenvar --help)");
    }
    if (!CheckLogRanges(line.request.picture, error) ||
        !CheckGrouping(line.request.picture, error)) {
        return Failure(error);
    }
    line.startFile = arguments.files.empty() ? std::string() : arguments.files[0];
    line.request.databasePath = line.startFile;
    for (Option option : {Option::Stems, Option::View, Option::GroupBy}) {
        if (line.startFile.empty() && arguments.Has(option)) {
            return Failure(std::string(OptionText(option)) +
                           " needs the database file to open (see quenvar --help)");
        }
    }
    return line;
}

CommandLine ExportCommandLine(const Arguments& arguments) {
    CommandLine line;
    line.mode = CommandMode::Export;
    std::string error;
    for (const auto& [option, value] : arguments.given) {
        if (!ApplyExportOption(option, value, line.request, error)) {
            return Failure(error);
        }
    }
    if (arguments.files.empty()) {
        return Failure("--export needs the database file to draw (see quenvar --help)");
    }
    line.request.databasePath = arguments.files[0];
    if (arguments.files.size() > 1) {
        line.request.series = arguments.files;
    }
    const PictureRequest& picture = line.request.picture;
    if (!CheckLogRanges(picture, error) || !CheckGrouping(picture, error) ||
        !CheckSeriesOutputs(line.request, error) || !CheckChangeLayers(picture, error)) {
        return Failure(error);
    }
    if (std::max(picture.width, picture.height) * picture.scale > kMaxExportSide) {
        return Failure("--size " + std::to_string(picture.width) + "x" +
                       std::to_string(picture.height) + " at --scale " +
                       std::to_string(picture.scale) + " gives a picture of " +
                       std::to_string(picture.width * picture.scale) + "x" +
                       std::to_string(picture.height * picture.scale) +
                       " pixels; its sides can be at most " + std::to_string(kMaxExportSide));
    }
    return line;
}

// --at reads one point; of the other options only the stems, a colour scale
// and value ranges (which a reading does not use) go with it.
CommandLine AtCommandLine(const Arguments& arguments) {
    CommandLine line;
    line.mode = CommandMode::At;
    std::string error;
    for (const auto& [option, value] : arguments.given) {
        bool parsed = true;
        PaletteOption unused = PaletteOption::Unset;
        PictureRequest unusedRanges;
        switch (option) {
            case Option::At:
                parsed = ParsePoint(value, line.at, error);
                break;
            case Option::Stems:
                parsed = ParseLabels("--stems", "stem", value, line.at.stems, error);
                break;
            case Option::GroupBy:
                line.at.groupBy = value;
                parsed = !value.empty();
                error = "--group-by needs the stem column to group the trees by";
                break;
            case Option::Groups:
                parsed = ParseLabels("--groups", "group", value, line.at.groups, error);
                break;
            case Option::Palette:
                parsed = ParsePalette(value, unused, error);
                break;
            case Option::Range:
                parsed = ParseRange(value, unusedRanges, error);
                break;
            case Option::Classes:
                parsed = ParseClasses(value, unusedRanges, error);
                break;
            case Option::Smooth:
                break;
            case Option::Compare:
                line.at.comparePath = value;
                parsed = ParseComparePath(value, error);
                break;
            default:
                return Failure(std::string(OptionText(option)) + " cannot be used with --at");
        }
        if (!parsed) {
            return Failure(error);
        }
    }
    if (arguments.files.size() != 1) {
        return Failure(arguments.files.empty()
                           ? "--at needs the database file to read (see quenvar --help)"
                           : "--at reads one database file, but " +
                                 std::to_string(arguments.files.size()) + " were given");
    }
    if (!line.at.groups.empty() && line.at.groupBy.empty()) {
        return Failure("--groups needs --group-by COLUMN, the stem column that makes the groups");
    }
    line.at.databasePath = arguments.files[0];
    return line;
}

// `import GRID STEMS OUT.db`: the word import comes first, the three files after it.
CommandLine ImportCommandLine(const Arguments& arguments) {
    for (const auto& entry : arguments.given) {
        if (entry.first != Option::Force) {
            return Failure(std::string(OptionText(entry.first)) +
                           " cannot be used with import, which takes only --force and --log-dir: " +
                           kImportUsage);
        }
    }
    if (arguments.files.size() != 4) {
        return Failure("import needs three files, GRID STEMS OUT.db, but " +
                       std::to_string(arguments.files.size() - 1) +
                       (arguments.files.size() == 2 ? " was" : " were") +
                       " given (see quenvar --help)");
    }
    CommandLine line;
    line.mode = CommandMode::Import;
    line.import = {arguments.files[1], arguments.files[2], arguments.files[3],
                   arguments.Has(Option::Force)};
    return line;
}

// `stats FILE.db`: the word stats comes first, the file after it.
CommandLine StatsCommandLine(const Arguments& arguments) {
    CommandLine line;
    line.mode = CommandMode::Stats;
    std::string error;
    for (const auto& [option, value] : arguments.given) {
        switch (option) {
            case Option::Trees:
                if (!ParseLabels("--trees", "tree", value, line.stats.trees, error)) {
                    return Failure(error);
                }
                if (line.stats.trees.empty()) {
                    return Failure("--trees needs at least one tree label");
                }
                break;
            case Option::Output:
                if (value.empty()) {
                    return Failure("--output needs the name of the CSV file to write");
                }
                line.stats.outputPath = value;
                break;
            case Option::Overlap:
                line.stats.overlap = true;
                break;
            case Option::By:
                if (value.empty()) {
                    return Failure("--by needs the stem column to group the trees by");
                }
                line.stats.by = value;
                break;
            case Option::Compare:
                line.stats.comparePath = value;
                if (!ParseComparePath(value, error)) {
                    return Failure(error);
                }
                break;
            default:
                return Failure(std::string(OptionText(option)) +
                               " cannot be used with stats, which takes --trees, --by, --output, "
                               "--overlap, --compare and --log-dir: " +
                               kStatsUsage);
        }
    }
    if (arguments.files.size() < 2) {
        return Failure("stats needs a database file (see quenvar --help)");
    }
    if (!line.stats.by.empty() && !line.stats.trees.empty()) {
        return Failure(
            "--trees and --by cannot be used together: stats lists trees, or groups of "
            "them");
    }
    line.stats.databasePath = arguments.files[1];
    if (arguments.files.size() > 2) {
        line.stats.series.assign(arguments.files.begin() + 1, arguments.files.end());
    }
    if (line.stats.overlap && line.stats.series.size() > 1) {
        return Failure("--overlap takes one database file: each plot's trees are its own");
    }
    if (!line.stats.by.empty() &&
        (line.stats.series.size() > 1 || !line.stats.comparePath.empty())) {
        return Failure(
            "--by takes one database file and no --compare: its groups are of one "
            "plot's trees");
    }
    if (line.stats.overlap && !line.stats.comparePath.empty()) {
        return Failure(
            "--overlap and --compare cannot be used together: the overlap is of one "
            "plot's trees");
    }
    return line;
}

bool ApplyGridOption(Option option, const std::string& value, GridRequest& request,
                     std::string& error) {
    switch (option) {
        case Option::Layer:
            request.layer.key = value;
            if (!FindValueLayer(value)) {
                error = "unknown --layer \"" + value + "\" (see quenvar --help)";
                return false;
            }
            return true;
        case Option::Tree:
            request.layer.tree = value;
            if (value.empty()) {
                error = "--tree needs the label of a tree";
                return false;
            }
            return true;
        case Option::Crs:
            request.crs.emplace();
            return ParseCrsCode(value, *request.crs, error);
        case Option::Compare:
            request.comparePath = value;
            return ParseComparePath(value, error);
        case Option::GroupBy:
        case Option::Group:
            (option == Option::Group ? request.layer.group : request.layer.groupBy) = value;
            if (value.empty()) {
                error = std::string(OptionText(option)) + " needs a value: " + kGridUsage;
                return false;
            }
            return true;
        case Option::Output:
            request.outputPath = value;
            if (value.empty()) {
                error =
                    std::string("--output needs the name of the grid file to write: ") + kGridUsage;
                return false;
            }
            return true;
        default:
            error = std::string(OptionText(option)) + " cannot be used with grid: " + kGridUsage;
            return false;
    }
}

// `grid FILE.db`: the word grid comes first, the file after it.
CommandLine GridCommandLine(const Arguments& arguments) {
    CommandLine line;
    line.mode = CommandMode::Grid;
    std::string error;
    for (const auto& [option, value] : arguments.given) {
        if (!ApplyGridOption(option, value, line.grid, error)) {
            return Failure(error);
        }
    }
    if (arguments.files.size() != 2) {
        return Failure("grid needs one database file, but " +
                       std::to_string(arguments.files.size() - 1) +
                       (arguments.files.size() == 2 ? " was" : " were") + " given: " + kGridUsage);
    }
    line.grid.databasePath = arguments.files[1];
    const ValueLayerDef* layer = FindValueLayer(line.grid.layer.key);
    if (!layer || line.grid.outputPath.empty()) {
        return Failure(std::string("grid needs --layer and --output: ") + kGridUsage);
    }
    const bool needsTree = (layer->needs & kNeedsTree) != 0;
    if (needsTree != !line.grid.layer.tree.empty()) {
        return Failure(needsTree ? "--layer " + line.grid.layer.key + " needs --tree LABEL"
                                 : "--layer " + line.grid.layer.key + " takes no --tree");
    }
    const bool grouped = (layer->needs & kNeedsGrouping) != 0;
    if (grouped != !line.grid.layer.groupBy.empty()) {
        return Failure(grouped ? "--layer " + line.grid.layer.key +
                                     " needs --group-by COLUMN, the stem column of the groups"
                               : "--layer " + line.grid.layer.key + " takes no --group-by");
    }
    const bool oneGroup = (layer->needs & kNeedsGroup) != 0;
    if (oneGroup != !line.grid.layer.group.empty()) {
        return Failure(oneGroup ? "--layer " + line.grid.layer.key + " needs --group NAME"
                                : "--layer " + line.grid.layer.key + " takes no --group");
    }
    const bool needsOther = (layer->needs & kNeedsComparison) != 0;
    if (needsOther != !line.grid.comparePath.empty()) {
        return Failure(needsOther ? "--layer " + line.grid.layer.key +
                                        " is a change to another plot: give it with --compare "
                                        "OTHER.db"
                                  : "--compare belongs to the -diff layers of grid: --layer " +
                                        line.grid.layer.key + " is of one plot");
    }
    return line;
}

// Takes --log-dir out of the arguments, which every command accepts alike.
bool TakeLogFolder(Arguments& arguments, std::optional<std::string>& folder, std::string& error) {
    auto& given = arguments.given;
    for (auto entry = given.begin(); entry != given.end();) {
        if (entry->first != Option::LogDir) {
            ++entry;
            continue;
        }
        if (entry->second.empty()) {
            error = "--log-dir needs the folder to write the logs into";
            return false;
        }
        folder = entry->second;
        entry = given.erase(entry);
    }
    return true;
}

CommandLine ModeCommandLine(const std::vector<std::string>& args, const Arguments& arguments) {
    if (arguments.Has(Option::Help) || arguments.Has(Option::Version)) {
        CommandLine line;
        line.mode = arguments.Has(Option::Help) ? CommandMode::Help : CommandMode::Version;
        return line;
    }
    if (!args.empty() && args[0] == "import") {
        return arguments.Has(Option::Export)
                   ? Failure("--export and import are two commands: give one")
                   : ImportCommandLine(arguments);
    }
    if (!args.empty() && args[0] == "grid") {
        return arguments.Has(Option::Export)
                   ? Failure("--export and grid are two commands: give one")
                   : GridCommandLine(arguments);
    }
    if (!args.empty() && args[0] == "stats") {
        return arguments.Has(Option::Export)
                   ? Failure("--export and stats are two commands: give one")
                   : StatsCommandLine(arguments);
    }
    if (arguments.Has(Option::At)) {
        return arguments.Has(Option::Export) ? Failure("--at and --export cannot be used together")
                                             : AtCommandLine(arguments);
    }
    return arguments.Has(Option::Export) ? ExportCommandLine(arguments)
                                         : WindowCommandLine(arguments);
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    Arguments arguments;
    std::optional<std::string> logFolder;
    std::string error;
    if (!SplitArguments(args, arguments, error) || !TakeLogFolder(arguments, logFolder, error)) {
        return Failure(error);
    }
    CommandLine line = ModeCommandLine(args, arguments);
    if (!logFolder || line.mode == CommandMode::Error || line.mode == CommandMode::Help ||
        line.mode == CommandMode::Version) {
        return line;
    }
    if (line.mode == CommandMode::Window) {
        return Failure(kLogDirOfCommands);
    }
    line.logFolder = logFolder;
    return line;
}

std::string NumberList(std::initializer_list<double> values) {
    std::string text;
    for (double value : values) {
        // The shortest text that reads back as this very number.
        char number[32];
        const auto [end, code] = std::to_chars(number, number + sizeof number, value);
        text += (text.empty() ? "" : ",") + std::string(number, code == std::errc() ? end : number);
    }
    return text;
}

std::string ViewArgument(double xMin, double yMin, double xMax, double yMax) {
    return NumberList({xMin, yMin, xMax, yMax});
}

std::string VersionText() {
    return std::string("Quenvar ") + kQuenvarVersion;
}
