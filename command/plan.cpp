// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/plan.h"

#include "core/catalogue.h"
#include "core/format_lookup.h"

namespace {
const std::string kListHint = "see '" + std::string(kCommandName) + " --list-formats'";
const std::string kHelpHint = "try '" + std::string(kCommandName) + " --help'";

std::string Names(FormatTable table, const std::vector<int>& rows)
{
    std::string text;
    for (std::size_t i = 0; i < rows.size(); ++i)
        text += (i == 0 ? "" : i + 1 == rows.size() ? " or " : ", ") + table[rows[i]].Name;
    return text;
}

std::string UsageErrorOf(const PlanProblem& problem)
{
    switch (problem.kind) {
    case PlanProblem::Kind::OutputFormatUntold:
        return "cannot tell the output format from the name " + problem.name + ": it may be " +
               Names(OutputFormats, problem.candidates) + "; name it with -o FORMAT";
    case PlanProblem::Kind::OutputNotAFolder:
        return "with --each, -O names a folder, and " + problem.name + " is not one; " + kHelpHint;
    case PlanProblem::Kind::NoOutputFormat: return "no output format: name one with -o FORMAT; " + kListHint;
    case PlanProblem::Kind::GivenTwice: return problem.name + " is given twice; " + kHelpHint;
    case PlanProblem::Kind::FilePerTrackIntoDevice:
        return OutputFormats[problem.position].Name + " writes a file per track and cannot write into " + problem.name +
               "; name a file";
    case PlanProblem::Kind::None: break;
    }
    return {};
}
}  // namespace

std::string RefusalText(const JobRefusal& refusal)
{
    const std::string whose = refusal.input.empty() ? "" : refusal.input + ": ";
    switch (refusal.kind) {
    case JobRefusal::Kind::FormatUntold:
        return whose + "cannot tell its format from its content; name it with -i FORMAT (" + kListHint + ")";
    case JobRefusal::Kind::FormatUncertain:
        return whose + "cannot tell its format: it may be " + Names(InputFormats, refusal.candidates) +
               "; name it with -i FORMAT";
    case JobRefusal::Kind::OutputKept:
        return "its output " + refusal.name + " exists already and is kept (--no-clobber)";
    case JobRefusal::Kind::Said: return refusal.text;
    case JobRefusal::Kind::None: break;
    }
    return {};
}

CommandPlan PlanCommand(const ConvertOptions& options)
{
    CommandPlan plan;
    PlanRequest request;
    if (!options.inputFormat.empty()) {
        request.inputPosition = FormatNamed(InputFormats, options.inputFormat);
        if (request.inputPosition < 0) {
            plan.usageError = "unknown input format '" + options.inputFormat + "'; " + kListHint;
            return plan;
        }
    }
    if (!options.outputFormat.empty()) {
        request.outputPosition = FormatNamed(OutputFormats, options.outputFormat);
        if (request.outputPosition < 0) {
            plan.usageError = (FormatNamed(InputFormats, options.outputFormat) >= 0
                                   ? options.outputFormat + " is read but never written"
                                   : "unknown output format '" + options.outputFormat + "'") +
                              "; " + kListHint;
            return plan;
        }
    }
    request.inputs = options.inputs;
    request.output = options.output;
    request.each = options.each;
    request.recursive = options.recursive;
    request.excludes = options.excludes;
    request.includes = options.includes;
    request.neverReplace = options.noClobber;
    plan.conversions = PlanConversions(request);
    plan.usageError = UsageErrorOf(plan.conversions.problem);
    return plan;
}
