// SPDX-License-Identifier: GPL-3.0-or-later
// The plan of what a front end asks for, the same for the command and the
// window: the inputs (a folder standing for its files in a batch), each
// input's format (chosen, or told from its content), the name of each output
// as it is written, and what stops a conversion before it runs. Refusals are
// values: each front end says them in its own words.
#pragma once

#include <string>
#include <vector>

#include "plan/folder_walk.h"

class FormatCatalogue;

// What a front end asks for, before anything is told from the files.
struct PlanRequest {
    std::vector<std::string> inputs{};  // files, or folders standing for their files (each)
    int inputPosition = -1;             // every input's format; -1: told from each input's content
    // The first input's format of each conversion (the others told from
    // their content); -1: as inputPosition says.
    int firstInputPosition = -1;
    int outputPosition = -1;  // -1: told from the output name
    // The file to write, exactly as named; a folder for the outputs (each);
    // empty: each output beside its input.
    std::string output{};
    bool each = false;  // each input on its own, named after it, into the folder `output`
    bool recursive = false;
    std::vector<std::string> excludes{}, includes{};  // shell patterns of the paths below a folder given
    bool neverReplace = false;
};

// Why one conversion of a plan cannot run.
struct JobRefusal {
    enum class Kind {
        None,
        FormatUntold,     // the content names no format
        FormatUncertain,  // the content names several: `candidates`, input rows
        OutputKept,       // the output `name` exists and nothing may be replaced
        Said,             // `text` says why: a file's error, an output that would replace a file
    };
    Kind kind = Kind::None;
    std::string input;  // the input it is about, where the conversion reads several; else empty
    std::vector<int> candidates;
    std::string name;
    std::string text;
    bool Refused() const { return kind != Kind::None; }
};

struct ConversionJob {
    std::vector<std::string> inputs;  // several are read together into one output
    std::string output;               // the file written, exactly
    int inputPosition = -1;           // the first input's format
    std::vector<int> inputPositions;  // each input's format, in order
    int outputPosition = -1;
    std::vector<std::string> choices;  // the formats told from the files, in words
    JobRefusal refusal;
};

// Why nothing of a plan can run as it was asked.
struct PlanProblem {
    enum class Kind {
        None,
        OutputFormatUntold,      // from the output `name`: `candidates`, output rows
        OutputNotAFolder,        // each: `name` exists and is not a folder
        NoOutputFormat,          // outputs named after their inputs need a format
        GivenTwice,              // the input `name` is given twice
        FilePerTrackIntoDevice,  // the format `position` writes a file per track, `name` is a device
    };
    Kind kind = Kind::None;
    std::string name;
    std::vector<int> candidates;
    int position = -1;
};

struct ConversionPlan {
    std::vector<ConversionJob> jobs;
    // What the folders given held besides the inputs, and those that could not be read.
    std::vector<SkippedEntry> skipped;
    std::vector<SkippedEntry> unreadable;
    PlanProblem problem;
};

ConversionPlan PlanConversions(const FormatCatalogue& catalogue, const PlanRequest& request);

// The name an output of `input` takes in `folder` (and the subfolder it was
// found in, below the folder given), with the output format's extension
// (".mylog" is a name: ".mylog.plt"); beside the input when `folder` is empty.
std::string OutputNameFor(const FormatCatalogue& catalogue, const std::string& input, const std::string& folder,
                          int outputPosition, const std::string& subfolder = {});

// What the plan already has under `name`: "the input X" or "the output Y"
// (the output of a conversion, its numbered track files, a file beside it);
// empty when nothing. For a file a front end writes besides (a report).
std::string ClaimOf(const FormatCatalogue& catalogue, const ConversionPlan& plan, const std::string& name);

// The names a conversion into `output` as `outputPosition` may write besides
// the output itself: "BASE_N.EXT" (numbered: N stands for any number) for the
// track files of an input of several tracks, "BASE.rte" for routes beside waypoints.
struct DerivedName {
    std::string name;
    bool numbered;
};
std::vector<DerivedName> DerivedNames(const FormatCatalogue& catalogue, const std::string& output, int outputPosition);
