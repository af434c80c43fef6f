// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/run.h"

#include <exception>
#include <filesystem>
#include <memory>

#include "command/command_front_end.h"
#include "command/info.h"
#include "command/options.h"
#include "command/plan.h"
#include "command/report.h"
#include "command/texts.h"
#include "core/catalogue.h"
#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/convert.h"
#include "core/file_io.h"
#include "core/output_transaction.h"
#include "formats/format_table.h"

namespace {
using Progress = ConvertOptions::Progress;

int UsageError(std::FILE* err, const std::string& text)
{
    SayAsCommand(err, text);
    return 2;
}

// A file error names its file; the input a line is about is named already.
std::string ReasonOf(const std::exception& error, const std::string& input)
{
    if (const auto* file = dynamic_cast<const FileError*>(&error))
        return file->Path().empty() || file->Path() == input ? file->SystemMessage()
                                                             : file->Path() + ": " + file->SystemMessage();
    return error.what();
}

JobOutcome RunJob(const ConversionJob& job, const ConvertOptions& options, Progress progress, std::FILE* err)
{
    JobOutcome outcome;
    if (!job.refusal.empty()) {
        outcome.reason = job.refusal;
        return outcome;
    }
    if (options.dryRun) {
        outcome.state = JobOutcome::State::Planned;
        return outcome;
    }
    if (progress == Progress::Verbose)
        for (const std::string& choice : job.choices) SayAsCommand(err, choice);
    CommandFrontEnd frontEnd(job, err, {progress == Progress::Verbose, options.noClobber, options.logDate});
    try {
        Convert(frontEnd);
    } catch (const std::exception& error) {
        outcome.warnings = frontEnd.Messages();
        outcome.reason = ReasonOf(error, job.inputs.front());
        return outcome;
    }
    outcome.warnings = frontEnd.Messages();
    if (!frontEnd.Succeeded()) {
        // The message that stopped it is its reason.
        outcome.reason = outcome.warnings.empty() ? "the conversion stopped" : outcome.warnings.back();
        if (!outcome.warnings.empty()) outcome.warnings.pop_back();
        return outcome;
    }
    outcome.state = JobOutcome::State::Converted;
    outcome.written = frontEnd.Written();
    outcome.counts = WrittenSoFar();
    outcome.dataLeftOut = DataLeftOut() || frontEnd.LimitReached();
    return outcome;
}

void Print(const ConversionJob& job, const JobOutcome& outcome, Progress progress, std::FILE* err)
{
    for (const std::string& warning : outcome.warnings) SayAsCommand(err, job.inputs.front() + ": " + warning);
    if (outcome.state == JobOutcome::State::NotConverted) SayAsCommand(err, OutcomeLine(job, outcome));
    else if (progress != Progress::Quiet) std::fprintf(err, "%s\n", OutcomeLine(job, outcome).c_str());
}

// The folder of an output of --each (a subfolder of -O with --recursive).
bool MakeFolderOf(const std::string& output, std::string& made, std::FILE* err)
{
    const std::filesystem::path folder = std::filesystem::path(output).parent_path();
    if (folder.empty() || folder.string() == made) return true;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        SayAsCommand(err, "cannot make the folder " + folder.string() + ": " + error.message());
        return false;
    }
    made = folder.string();
    return true;
}

int RunConversions(const ConvertOptions& options, std::FILE* err)
{
    TimeZoneBias = HostTimeZoneBias();
    const ConversionPlan plan = PlanConversions(options);
    if (!plan.usageError.empty()) return UsageError(err, plan.usageError);
    const Progress progress = options.progress != Progress::Default ? options.progress
                              : options.each                        ? Progress::Brief
                                                                    : Progress::Verbose;
    std::unique_ptr<JsonReport> report;
    if (!options.report.empty()) report = std::make_unique<JsonReport>(options.report);

    Tally tally;
    std::string made;
    const FolderFlushes onceForTheBatch;
    for (std::size_t i = 0; i < plan.jobs.size(); ++i) {
        const ConversionJob& job = plan.jobs[i];
        if (i > 0 && progress == Progress::Verbose) std::fputs("\n", err);
        JobOutcome outcome;
        if (options.each && !options.output.empty() && !options.dryRun && job.refusal.empty() &&
            !MakeFolderOf(job.output, made, err))
            return 1;
        try {
            outcome = RunJob(job, options, progress, err);
            Print(job, outcome, progress, err);
            tally.Add(outcome);
            if (report) report->Add(job, outcome);
        } catch (const FileError& error) {  // of the report
            SayAsCommand(err, error.what());
            return 1;
        }
    }
    if (plan.jobs.size() > 1 && (progress != Progress::Quiet || tally.notConverted > 0 || tally.dataLeftOut > 0))
        SayAsCommand(err, tally.Summary(options.dryRun));
    if (report) {
        try {
            report->Finish(tally);
        } catch (const FileError& error) {
            SayAsCommand(err, error.what());
            return 1;
        }
    }
    if (tally.notConverted > 0) return 1;
    return options.strict && tally.dataLeftOut > 0 ? 3 : 0;
}
}  // namespace

int RunConvertCommand(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    const ParsedOptions parsed = ParseOptions(argc, argv);
    if (!parsed.error.empty()) return UsageError(err, parsed.error + "; try '" + kCommandName + " --help'");
    const ConvertOptions& options = parsed.options;
    BuildFormatCatalogue(KnownFormats());
    switch (options.action) {
    case ConvertOptions::Action::Help: std::fputs(HelpText().c_str(), out); return 0;
    case ConvertOptions::Action::Version: std::fputs(VersionText().c_str(), out); return 0;
    case ConvertOptions::Action::ListFormats: std::fputs(FormatListText().c_str(), out); return 0;
    case ConvertOptions::Action::ManPage: std::fputs(ManPageText().c_str(), out); return 0;
    case ConvertOptions::Action::Info: return RunInfo(options, out, err);
    case ConvertOptions::Action::Convert: break;
    }
    return RunConversions(options, err);
}
