// The words of a command line sorted into options, with their values, and
// file names, before each command reads the options it takes.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

// Options that take a value, and the order they are described in.
enum class Option {
    Export,
    Size,
    Scale,
    Layers,
    Stems,
    View,
    Palette,
    Range,
    Classes,
    Smooth,
    Compare,
    Jobs,
    Aspect,
    NorthUp,
    Legend,
    At,
    Force,
    Trees,
    Output,
    Overlap,
    LogDir,
    Help,
    Version,
    Layer,
    Tree,
    Crs,
    GroupBy,
    Groups,
    Group,
    By
};

// The words of a command line sorted into options (with their values) and file names.
struct Arguments {
    std::vector<std::string> files;
    std::vector<std::pair<Option, std::string>> given;

    bool Has(Option option) const {
        return std::any_of(given.begin(), given.end(),
                           [option](const auto& entry) { return entry.first == option; });
    }
};

// False, with the reason, for an unknown option, an option without the
// value it needs or with one it does not take, or one given twice (a range
// and a class rule may come once for each family).
bool SplitArguments(const std::vector<std::string>& args, Arguments& out, std::string& error);

// The option as it is written: "--layers".
const char* OptionText(Option option);
