// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of kes-convert, parsed GNU style: short and long options
// anywhere among the input names, "--" before names that start with a dash.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kCommandName = "kes-convert";

struct ConvertOptions {
    enum class Action { Convert, Help, Version, ListFormats };
    Action action = Action::Convert;
    std::string inputFormat;   // a format name; empty: told from each input
    std::string outputFormat;  // empty: told from the output name
    std::string output;        // -O; empty: each output beside its input
    bool each = false;
    bool quiet = false;
    // --date: the date of a log whose fixes give only their time of day.
    std::optional<std::chrono::year_month_day> logDate;
    std::vector<std::string> inputs;
};

struct ParsedOptions {
    ConvertOptions options;
    std::string error;  // a usage error in one line; empty when there is none
};

ParsedOptions ParseOptions(int argc, char** argv);
