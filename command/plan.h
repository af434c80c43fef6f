// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the command line into conversions: the inputs (folders opened with
// --each), the formats (named or told from the files), the output names, and
// what stops a conversion before it runs.
#pragma once

#include <string>
#include <vector>

#include "command/options.h"

struct ConversionJob {
    std::vector<std::string> inputs;  // the first is read; several are files chosen together
    std::string output;
    int inputPosition = -1;
    int outputPosition = -1;
    std::vector<std::string> choices;  // the formats told from the files, in words
    std::string refusal;               // why the conversion cannot run; empty when it can
};

struct ConversionPlan {
    std::vector<ConversionJob> jobs;
    std::string usageError;  // one line with its hint, when nothing can run as the command stands
};

// Needs the format catalogue built.
ConversionPlan PlanConversions(const ConvertOptions& options);

// The names a conversion into `output` as `outputPosition` may write besides
// the output itself: "BASE_N.EXT" (numbered: N stands for any number) for the
// track files of an input of several tracks, "BASE.rte" for routes beside waypoints.
struct DerivedName {
    std::string name;
    bool numbered;
};
std::vector<DerivedName> DerivedNames(const std::string& output, int outputPosition);
