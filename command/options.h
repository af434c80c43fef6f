// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of kes-convert, parsed GNU style: short and long options
// anywhere among the input names, "--" before names that start with a dash.
// The option table here is the one place --help, the man page and the shell
// completions are made from.
#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/time/time_zone.h"
#include "shape/step_choice.h"

inline constexpr const char* kCommandName = "kes-convert";

// One option: its names, its value, and its help text (lines of at most 50
// characters, "\n" between them).
struct OptionDescription {
    enum class Value { None, FormatIn, FormatOut, File, Text };
    char shortName;     // '\0': none
    const char* name;   // the long name, without its dashes
    const char* value;  // the value's placeholder; nullptr: the option takes none
    const char* help;
    Value kind = Value::None;    // what completes the value
    bool optionalValue = false;  // given as --name=VALUE or not at all
};
std::span<const OptionDescription> OptionDescriptions();

struct ConvertOptions {
    enum class Action { Convert, Info, Recover, Help, Version, ListFormats, ManPage, Completion };
    // How much a conversion prints on standard error besides warnings and errors.
    enum class Progress { Default, Quiet, Brief, Verbose };
    Action action = Action::Convert;
    std::string inputFormat;   // a format name; empty: told from each input
    std::string outputFormat;  // empty: told from the output name
    std::string output;        // -O, "-" already /dev/stdout; empty: each output beside its input
    bool each = false;
    bool recursive = false;
    bool dryRun = false;
    bool noClobber = false;
    bool strict = false;
    bool rawTexts = false;  // --raw-texts
    bool json = false;
    Progress progress = Progress::Default;
    std::string report;  // --report: the JSON report's file, "-" already /dev/stdout; empty: none
    // --wait: the longest wait for a folder another run puts files into; none: as long as it takes.
    std::optional<std::chrono::seconds> wait;
    // --date: the date of a log whose fixes give only their time of day.
    std::optional<std::chrono::year_month_day> logDate;
    // --tz: the zone of the inputs' wall-clock times; with --info, the zone
    // times are shown in beside UTC.
    std::optional<TimeZone> zone;
    int rollovers = 0;              // --rollover[=N]
    std::chrono::seconds shift{0};  // --shift
    std::string shiftText;          // as typed
    std::string codePage{"auto"};   // --charset
    // Patterns of the paths below a folder given (--exclude, --include).
    std::vector<std::string> excludes, includes;
    // The shaping steps (--split-gap, --simplify ...), in the order given.
    std::vector<StepChoice> steps;
    std::string completionShell;      // --completion: bash, zsh or fish
    std::vector<std::string> inputs;  // "-" already /dev/stdin; with --recover, the folders
};

struct ParsedOptions {
    ConvertOptions options;
    std::string error;  // a usage error in one line; empty when there is none
};

ParsedOptions ParseOptions(int argc, char** argv);
