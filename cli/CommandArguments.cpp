#include "cli/CommandArguments.h"

namespace {

struct OptionName {
    const char* name;
    Option option;
    bool takesValue;
};

// clang-format off
const OptionName kOptions[] = {
    {"--export", Option::Export, true},
    {"--size", Option::Size, true},
    {"--scale", Option::Scale, true},
    {"--layers", Option::Layers, true},
    {"--stems", Option::Stems, true},
    {"--view", Option::View, true},
    {"--palette", Option::Palette, true},
    {"--range", Option::Range, true},
    {"--classes", Option::Classes, true},
    {"--smooth", Option::Smooth, false},
    {"--compare", Option::Compare, true},
    {"-j", Option::Jobs, true},
    {"--aspect", Option::Aspect, true},
    {"--north-up", Option::NorthUp, false},
    {"--legend", Option::Legend, false},
    {"--at", Option::At, true},
    {"--force", Option::Force, false},
    {"--trees", Option::Trees, true},
    {"--output", Option::Output, true},
    {"--overlap", Option::Overlap, false},
    {"--log-dir", Option::LogDir, true},
    {"--help", Option::Help, false},
    {"-h", Option::Help, false},
    {"--version", Option::Version, false},
    {"--layer", Option::Layer, true},
    {"--tree", Option::Tree, true},
    {"--crs", Option::Crs, true},
    {"--group-by", Option::GroupBy, true},
    {"--groups", Option::Groups, true},
    {"--group", Option::Group, true},
    {"--by", Option::By, true},
};
// clang-format on

const OptionName* FindOption(const std::string& name) {
    for (const OptionName& option : kOptions) {
        if (name == option.name) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

bool SplitArguments(const std::vector<std::string>& args, Arguments& out, std::string& error) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            out.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionName* option = FindOption(name);
        if (!option) {
            error = "unknown option \"" + name + "\" (see quenvar --help)";
            return false;
        }
        std::string value;
        if (equals != std::string::npos) {
            if (!option->takesValue) {
                error = name + " takes no value";
                return false;
            }
            value = arg.substr(equals + 1);
        } else if (option->takesValue) {
            if (i + 1 == args.size()) {
                error = name + " needs a value (see quenvar --help)";
                return false;
            }
            value = args[++i];
        }
        // A range and a class rule are given once for each family they set.
        const bool perFamily = option->option == Option::Range || option->option == Option::Classes;
        if (out.Has(option->option) && !perFamily) {
            error = name + " is given twice";
            return false;
        }
        out.given.emplace_back(option->option, value);
    }
    return true;
}

const char* OptionText(Option option) {
    for (const OptionName& name : kOptions) {
        if (name.option == option) {
            return name.name;
        }
    }
    return "";
}
