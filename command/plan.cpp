// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/plan.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "core/convert/catalogue.h"
#include "core/convert/format_lookup.h"
#include "core/io/file_io.h"
#include "core/io/output_target.h"
#include "core/time/clock.h"

namespace {
namespace fs = std::filesystem;
const std::string kListHint = "see '" + std::string(kCommandName) + " --list-formats'";
const std::string kHelpHint = "try '" + std::string(kCommandName) + " --help'";

std::string Names(FormatTable table, const std::vector<int>& rows)
{
    std::string text;
    for (std::size_t i = 0; i < rows.size(); ++i)
        text += (i == 0 ? "" : i + 1 == rows.size() ? " or " : ", ") + table[rows[i]].Name;
    return text;
}

// A folder among the inputs, read as a file without --each; empty when none is.
std::string FolderWithoutEach(const ConvertOptions& options)
{
    std::error_code ignored;
    if (!options.each)
        for (const std::string& name : options.inputs)
            if (fs::is_directory(name, ignored)) return name;
    return {};
}

// Patterns pick files of the folders among the inputs: given without a
// folder, they would pick nothing and leave nothing out.
std::string PatternsWithoutAFolder(const ConvertOptions& options)
{
    if (options.excludes.empty() && options.includes.empty()) return {};
    std::error_code ignored;
    for (const std::string& name : options.inputs)
        if (fs::is_directory(name, ignored)) return {};
    return "option '--" + std::string(options.excludes.empty() ? "include" : "exclude") +
           "' picks files in the folders given as inputs, and no input is a folder";
}

std::string UsageErrorOf(const FormatCatalogue& catalogue, const PlanProblem& problem)
{
    switch (problem.kind) {
    case PlanProblem::Kind::OutputFormatUntold:
        return "cannot tell the output format from the name " + problem.name + ": it may be " +
               Names(catalogue.Outputs(), problem.candidates) + "; name it with -o FORMAT";
    case PlanProblem::Kind::OutputNotAFolder:
        return "with --each, -O names a folder, and " + problem.name + " is not one; " + kHelpHint;
    case PlanProblem::Kind::NoOutputFormat: return "no output format: name one with -o FORMAT; " + kListHint;
    case PlanProblem::Kind::GivenTwice: return problem.name + " is given twice; " + kHelpHint;
    case PlanProblem::Kind::FilePerTrackIntoDevice:
        return catalogue.Outputs()[problem.position].Name + " writes a file per track and cannot write into " +
               problem.name + "; name a file";
    case PlanProblem::Kind::None: break;
    }
    return {};
}
}  // namespace

std::string RefusalText(const FormatCatalogue& catalogue, const JobRefusal& refusal)
{
    const std::string whose = refusal.input.empty() ? "" : refusal.input + ": ";
    switch (refusal.kind) {
    case JobRefusal::Kind::FormatUntold:
        return whose + "cannot tell its format from its content; name it with -i FORMAT (" + kListHint + ")";
    case JobRefusal::Kind::FormatUncertain:
        return whose + "cannot tell its format: it may be " + Names(catalogue.Inputs(), refusal.candidates) +
               "; name it with -i FORMAT";
    case JobRefusal::Kind::OutputKept:
        return "its output " + refusal.name + " exists already and is kept (--no-clobber)";
    case JobRefusal::Kind::Said: return refusal.text;
    case JobRefusal::Kind::None: break;
    }
    return {};
}

namespace {
// Where writing to a name ends: the process's descriptor it names, and the
// node it reaches (a new name: its folder's node and the name there).
struct Destination {
    int descriptor = -1;
    std::string node;
    mode_t mode = 0;  // of the node, when it exists
};

std::string NodeOf(const struct stat& info) { return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino); }

Destination DestinationOf(const std::string& name)
{
    Destination to;
    struct stat info {};
    to.descriptor = DescriptorNamed(name);
    if (to.descriptor >= 0) {
        if (::fstat(to.descriptor, &info) == 0) to = {to.descriptor, NodeOf(info), info.st_mode};
        return to;
    }
    try {
        const OutputTarget target = ResolveOutput(name);
        if (target.existing) to = {-1, NodeOf(*target.existing), target.existing->st_mode};
        else if (::fstat(target.folder.Get(), &info) == 0) to.node = NodeOf(info) + "/" + target.name;
    } catch (const FileError&) {
        // The conversion or the report says why it cannot be written.
    }
    return to;
}

// Both go to one place where the two would be mixed or one would replace the
// other: a file, a pipe, or the same descriptor. A terminal or /dev/null
// shows or takes both.
bool OnePlace(const Destination& a, const Destination& b)
{
    if (a.descriptor >= 0 && a.descriptor == b.descriptor) return true;
    return !a.node.empty() && a.node == b.node && !S_ISCHR(a.mode);
}
}  // namespace

std::string ReportClash(const FormatCatalogue& catalogue, const ConversionPlan& plan, const std::string& report)
{
    const Destination to = DestinationOf(report);
    for (const ConversionJob& job : plan.jobs) {
        if (job.refusal.Refused() || job.output.empty()) continue;
        const Destination output = DestinationOf(job.output);
        if (!OnePlace(to, output)) continue;
        if (to.descriptor == STDOUT_FILENO && output.descriptor == STDOUT_FILENO)
            return "the report and the output cannot both go to standard output";
        if (to.descriptor >= 0 && to.descriptor == output.descriptor)
            return "the report and the output cannot both go to descriptor " + std::to_string(to.descriptor);
        if (to.descriptor < 0 && (to.mode == 0 || S_ISREG(to.mode)))
            return "the report " + report + " would replace the output " + job.output;
        return "the report " + report + " and the output " + job.output + " go to the same " +
               (S_ISREG(to.mode)    ? "file"
                : S_ISFIFO(to.mode) ? "pipe"
                                    : "place");
    }
    // A descriptor is written into: it replaces no file of the plan's.
    if (DescriptorNamed(report) >= 0) return {};
    const std::string owner = ClaimOf(catalogue, plan, report);
    return owner.empty() ? "" : "the report " + report + " would replace " + owner;
}

CommandPlan PlanCommand(const FormatCatalogue& catalogue, const ConvertOptions& options)
{
    CommandPlan plan;
    // The time given to points without one: a value that is not a time is
    // refused rather than taken for the clock.
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); ReadSourceDateEpoch(epoch).malformed) {
        plan.usageError = "SOURCE_DATE_EPOCH must be a whole number of seconds since 1970, not '" + std::string(epoch) +
                          "'; " + kHelpHint;
        return plan;
    }
    PlanRequest request;
    if (!options.inputFormat.empty()) {
        request.inputPosition = FormatNamed(catalogue.Inputs(), options.inputFormat);
        if (request.inputPosition < 0) {
            plan.usageError = "unknown input format '" + options.inputFormat + "'; " + kListHint;
            return plan;
        }
    }
    if (!options.outputFormat.empty()) {
        request.outputPosition = FormatNamed(catalogue.Outputs(), options.outputFormat);
        if (request.outputPosition < 0) {
            plan.usageError = (FormatNamed(catalogue.Inputs(), options.outputFormat) >= 0
                                   ? options.outputFormat + " is read but never written"
                                   : "unknown output format '" + options.outputFormat + "'") +
                              "; " + kListHint;
            return plan;
        }
    }
    if (const std::string folder = FolderWithoutEach(options); !folder.empty()) {
        plan.usageError = folder +
                          " is a folder: --each (-e) converts the files in it one by one (-r: those of its "
                          "subfolders too); " +
                          kHelpHint;
        return plan;
    }
    if (const std::string idle = PatternsWithoutAFolder(options); !idle.empty()) {
        plan.usageError = idle + "; " + kHelpHint;
        return plan;
    }
    request.inputs = options.inputs;
    request.output = options.output;
    request.each = options.each;
    request.recursive = options.recursive;
    request.excludes = options.excludes;
    request.includes = options.includes;
    request.neverReplace = options.noClobber;
    plan.conversions = PlanConversions(catalogue, request);
    plan.usageError = UsageErrorOf(catalogue, plan.conversions.problem);
    return plan;
}
