// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/plan.h"

#include <filesystem>
#include <unordered_map>

#include "core/catalogue.h"
#include "core/convert.h"
#include "core/file_io.h"
#include "core/file_names.h"
#include "core/format_lookup.h"

namespace fs = std::filesystem;

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

std::string Described(const FileType_Record& row) { return row.Name + " (" + row.DisplayName + ")"; }

const char* InWords(FormatEvidence evidence)
{
    switch (evidence) {
    case FormatEvidence::Signature: return "by its content";
    case FormatEvidence::SignatureAndExtension: return "by its content and extension";
    default: return "by its extension";
    }
}

// The input's name with the output format's extension, in the folder, or
// beside the input when no folder is given.
std::string NameInFolder(const std::string& folder, const std::string& input, const FileType_Record& format)
{
    const std::vector<std::string> extensions = FormatExtensions(format);
    const std::string name = ChangeFileExt(ExtractFileName(input), extensions.empty() ? "" : "." + extensions.front());
    if (folder.empty()) return input.substr(0, input.size() - ExtractFileName(input).size()) + name;
    return (fs::path(folder) / name).string();
}

// Input formats that are one file format read in two modes (waypoints or
// tracks) read the same when everything is wanted.
bool ReadTheSameForEverything(const std::vector<int>& rows)
{
    for (int row : rows)
        if (!InputRow(row).readsEverything) return false;
    return true;
}

struct Request {
    const ConvertOptions& options;
    int inputPosition;   // -1: told from the file
    int outputPosition;  // -1: told from the output name
    bool outputIsFolder;
};

// The input format first, kept to the kinds the output name allows; then the
// output format, kept to the input's kind.
void ChooseFormats(const Request& r, ConversionJob& job)
{
    const std::string& input = job.inputs.front();
    job.inputPosition = r.inputPosition;
    if (job.inputPosition < 0) {
        std::vector<std::string> kinds;
        std::vector<int> outputs = r.outputPosition >= 0 ? std::vector<int>{r.outputPosition}
                                                         : FormatsWithExtension(OutputFormats, r.options.output);
        // An output name that a format of everything takes gets everything.
        for (int row : outputs)
            if (OutputFormats[row].Kind == kEverythingKind) outputs = {row};
        for (int row : outputs) kinds.push_back(OutputFormats[row].Kind);
        FormatGuess guess = GuessFormat(InputFormats, input, kinds, true);
        if (guess.candidates.size() > 1 && kinds == std::vector<std::string>{kEverythingKind} &&
            ReadTheSameForEverything(guess.candidates))
            guess.candidates.resize(1);
        if (guess.candidates.empty()) {
            job.refusal = "cannot tell the format of " + input +
                          " from its content or extension; name it with -i FORMAT (" + kListHint + ")";
            return;
        }
        if (guess.candidates.size() > 1) {
            job.refusal = "cannot tell the format of " + input + ": it may be " +
                          Names(InputFormats, guess.candidates) + "; name it with -i FORMAT";
            return;
        }
        job.inputPosition = guess.candidates.front();
        job.choices.push_back("reading " + input + " as " + Described(InputFormats[job.inputPosition]) + ", " +
                              InWords(guess.evidence));
    }

    job.outputPosition = r.outputPosition;
    if (job.outputPosition < 0) {
        const std::string& kind = InputFormats[job.inputPosition].Kind;
        // Without -i, a name that a format of everything takes gets everything.
        const std::vector<std::string> kinds =
            r.inputPosition < 0 ? std::vector<std::string>{kEverythingKind, kind} : std::vector<std::string>{kind};
        FormatGuess guess = GuessFormat(OutputFormats, r.options.output, kinds, false);
        if (guess.candidates.size() > 1)
            for (int row : guess.candidates)
                if (OutputFormats[row].Kind == kEverythingKind) guess.candidates = {row};
        if (guess.candidates.size() != 1) {
            if (guess.candidates.empty())
                for (const FileType_Record& row : OutputFormats)
                    if (row.Kind == kind) guess.candidates.push_back(row.Position);
            job.refusal = "cannot tell the output format from the name " + r.options.output + ": it may be " +
                          Names(OutputFormats, guess.candidates) + "; name it with -o FORMAT";
            return;
        }
        job.outputPosition = guess.candidates.front();
        job.choices.push_back("writing " + r.options.output + " as " + Described(OutputFormats[job.outputPosition]) +
                              ", " + InWords(guess.evidence));
    }
    job.output =
        r.outputIsFolder ? NameInFolder(r.options.output, input, OutputFormats[job.outputPosition]) : r.options.output;
}

// Converted one by one, no output may replace an input of the same command or
// an output it made before.
void RefuseClashes(std::vector<ConversionJob>& jobs, const std::vector<std::string>& inputs)
{
    std::unordered_map<std::string, const std::string*> inputFiles;
    for (const std::string& input : inputs) inputFiles.emplace(FileIdentity(input), &input);
    std::unordered_map<std::string, const ConversionJob*> outputFiles;
    for (ConversionJob& job : jobs) {
        if (!job.refusal.empty()) continue;
        const std::string output = FileIdentity(job.output);
        const auto input = inputFiles.find(output);
        const auto earlier = outputFiles.find(output);
        // An output that is the job's own input is refused by the Convert action itself.
        if (input != inputFiles.end() && output != FileIdentity(job.inputs.front()))
            job.refusal = "not converting " + job.inputs.front() + ": its output " + job.output +
                          " would replace the input " + *input->second;
        else if (earlier != outputFiles.end())
            job.refusal = "not converting " + job.inputs.front() + ": its output " + job.output +
                          " is already the output of " + earlier->second->inputs.front();
        else outputFiles.emplace(output, &job);
    }
}
}  // namespace

ConversionPlan PlanConversions(const ConvertOptions& options)
{
    ConversionPlan plan;
    Request request{options, -1, -1, false};
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

    std::error_code ignored;
    const bool folderExists = !options.output.empty() && fs::is_directory(options.output, ignored);
    if (options.each && !options.output.empty() && !folderExists && fs::exists(options.output, ignored)) {
        plan.usageError = "with --each, -O names a folder, and " + options.output + " is not one; " + kHelpHint;
        return plan;
    }
    request.outputIsFolder = options.each || options.output.empty() || folderExists;
    if (request.outputIsFolder && request.outputPosition < 0) {
        plan.usageError = "no output format: name one with -o FORMAT; " + kListHint;
        return plan;
    }

    std::vector<std::vector<std::string>> groups;
    if (options.each) {
        for (const std::string& input : options.inputs) groups.push_back({input});
    } else {
        groups.push_back(options.inputs);
    }
    for (std::vector<std::string>& inputs : groups) {
        ConversionJob& job = plan.jobs.emplace_back();
        job.inputs = std::move(inputs);
        try {
            ChooseFormats(request, job);
        } catch (const FileError& error) {
            job.refusal = error.what();
        }
    }

    const ConversionJob& first = plan.jobs.front();
    if (!options.each && options.inputs.size() > 1 && first.refusal.empty() &&
        !ReadsEveryChosenFile(first.inputPosition, first.outputPosition)) {
        plan.usageError = InputFormats[first.inputPosition].Name + " into " + OutputFormats[first.outputPosition].Name +
                          " reads one file; use --each to convert several files one by one, " + kHelpHint;
        return plan;
    }
    if (options.each) RefuseClashes(plan.jobs, options.inputs);
    return plan;
}
