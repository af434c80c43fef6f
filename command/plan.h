// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the command line into conversions: the inputs (folders opened with
// --each), the formats (named or told from the files), the output names, and
// what stops a conversion before it runs.
#pragma once

#include <string>
#include <vector>

#include "command/folder_walk.h"
#include "command/options.h"

struct ConversionJob {
    std::vector<std::string> inputs;  // several are read together into one output
    std::string output;
    int inputPosition = -1;           // the first input's format
    std::vector<int> inputPositions;  // each input's format, in order
    int outputPosition = -1;
    std::vector<std::string> choices;  // the formats told from the files, in words
    std::string refusal;               // why the conversion cannot run; empty when it can
};

struct ConversionPlan {
    std::vector<ConversionJob> jobs;
    // What the folders given held besides the inputs, and those that could not be read.
    std::vector<SkippedEntry> skipped;
    std::vector<SkippedEntry> unreadable;
    std::string usageError;  // one line with its hint, when nothing can run as the command stands
};

// Needs the format catalogue built.
ConversionPlan PlanConversions(const ConvertOptions& options);

// What the plan already has under `name`: "the input X" or "the output Y"
// (the output of a conversion, its numbered track files, a file beside it);
// empty when nothing. For a file the command writes besides (the report).
std::string ClaimOf(const ConversionPlan& plan, const std::string& name);

// Why the report cannot be written to `report`: an output of the plan goes
// to the same place, however either is named (a link, /proc/self/fd/1,
// standard output), or the name is one of the plan's (ClaimOf); empty when
// it can.
std::string ReportClash(const ConversionPlan& plan, const std::string& report);

// The names a conversion into `output` as `outputPosition` may write besides
// the output itself: "BASE_N.EXT" (numbered: N stands for any number) for the
// track files of an input of several tracks, "BASE.rte" for routes beside waypoints.
struct DerivedName {
    std::string name;
    bool numbered;
};
std::vector<DerivedName> DerivedNames(const std::string& output, int outputPosition);
