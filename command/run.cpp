// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/run.h"

#include <deque>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>

#include "command/command_front_end.h"
#include "command/info.h"
#include "command/options.h"
#include "command/plan.h"
#include "command/report.h"
#include "command/texts.h"
#include "core/catalogue.h"
#include "core/clock.h"
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

// A conversion whose line waits until its files are in place: in a batch,
// the files of successive conversions are put in place together.
struct JobInProgress {
    const ConversionJob& job;
    JobOutcome outcome;
    std::unique_ptr<CommandFrontEnd> frontEnd;
    bool done = false;
};

void RunJob(JobInProgress& run, const ConvertOptions& options, Progress progress, std::FILE* err)
{
    const ConversionJob& job = run.job;
    JobOutcome& outcome = run.outcome;
    run.done = true;
    if (!job.refusal.empty()) {
        outcome.reason = job.refusal;
        return;
    }
    if (options.dryRun) {
        outcome.state = JobOutcome::State::Planned;
        return;
    }
    if (progress == Progress::Verbose)
        for (const std::string& choice : job.choices) SayAsCommand(err, choice);
    run.frontEnd = std::make_unique<CommandFrontEnd>(
        job, err, CommandFrontEnd::Settings{progress == Progress::Verbose, options.noClobber, options.logDate});
    CommandFrontEnd& frontEnd = *run.frontEnd;
    OutputGroup* group = OutputGroup::Current();
    if (group)
        group->Expect([&run](const std::exception* error) {
            if (error) {
                run.outcome.state = JobOutcome::State::NotConverted;
                run.outcome.reason = ReasonOf(*error, run.job.inputs.front());
            }
            run.outcome.written = run.frontEnd->Written();
            run.done = true;
        });
    ConversionRequest request;
    for (const std::string& input : job.inputs) request.inputs.push_back({input, job.inputPosition});
    request.output = job.output;
    request.outputPosition = job.outputPosition;
    request.exactNames = true;
    request.neverReplace = options.noClobber;
    const ConversionOutcome result = Convert(request, frontEnd);
    outcome.warnings = frontEnd.Messages();
    if (!result.Succeeded()) {
        if (group) group->DropExpectation();
        if (result.error) {
            try {
                std::rethrow_exception(result.error);
            } catch (const std::exception& error) {
                outcome.reason = ReasonOf(error, job.inputs.front());
            }
        } else {
            outcome.reason = frontEnd.Reason(result);
        }
        // The message that stopped it is its reason, not a warning.
        std::erase(outcome.warnings, result.reason);
        std::erase(outcome.warnings, outcome.reason);
        return;
    }
    outcome.state = JobOutcome::State::Converted;
    outcome.counts = result.counts;
    outcome.dataLeftOut = result.DataLeftOut();
    outcome.written = frontEnd.Written();
    // Files that joined the group are in place once it commits.
    run.done = !group || group->DropExpectation();
}

void Print(const ConversionJob& job, const JobOutcome& outcome, Progress progress, std::FILE* err)
{
    for (const std::string& warning : outcome.warnings) SayAsCommand(err, job.inputs.front() + ": " + warning);
    if (outcome.state == JobOutcome::State::NotConverted) SayAsCommand(err, OutcomeLine(job, outcome));
    else if (progress != Progress::Quiet) std::fprintf(err, "%s\n", OutcomeLine(job, outcome).c_str());
}

// Each conversion that joined the group is told how its files fared.
void CommitGroup(OutputGroup& group)
{
    try {
        group.Commit();
    } catch (const std::exception&) {}
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
    std::deque<JobInProgress> runs;
    // Each finished conversion in order: its line, its count, its entry in the report.
    const auto finish = [&] {
        for (; !runs.empty() && runs.front().done; runs.pop_front()) {
            const JobInProgress& run = runs.front();
            Print(run.job, run.outcome, progress, err);
            tally.Add(run.outcome);
            if (report) report->Add(run.job, run.outcome);
        }
    };
    const FolderFlushes onceForTheBatch;
    // Progress lines of a conversion stay beside its own line.
    std::optional<OutputGroup> group;
    if (progress != Progress::Verbose) group.emplace();
    try {
        for (std::size_t i = 0; i < plan.jobs.size(); ++i) {
            const ConversionJob& job = plan.jobs[i];
            if (i > 0 && progress == Progress::Verbose) std::fputs("\n", err);
            if (options.each && !options.output.empty() && !options.dryRun && job.refusal.empty() &&
                !MakeFolderOf(job.output, made, err))
                return 1;
            RunJob(runs.emplace_back(JobInProgress{job, {}, nullptr}), options, progress, err);
            if (group && group->Full()) CommitGroup(*group);
            finish();
        }
        if (group) CommitGroup(*group);
        finish();
    } catch (const FileError& error) {  // of the report
        SayAsCommand(err, error.what());
        return 1;
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
