// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/run.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "command/command_front_end.h"
#include "command/completion.h"
#include "command/info.h"
#include "command/losses.h"
#include "command/options.h"
#include "command/plan.h"
#include "command/recover.h"
#include "command/report.h"
#include "command/run_stop.h"
#include "command/terminal_text.h"
#include "command/texts.h"
#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/io/file_io.h"
#include "core/io/output_target.h"
#include "core/io/output_transaction.h"
#include "core/time/clock.h"
#include "formats/format_table.h"
#include "plan/job_request.h"
#include "repair/time_repairs.h"

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

// Convert, or nothing when a stop asked for ended the conversion.
std::optional<ConversionOutcome> ConvertUnlessStopped(const FormatCatalogue& catalogue,
                                                      const ConversionRequest& request, FrontEnd& frontEnd)
{
    try {
        return Convert(catalogue, request, frontEnd);
    } catch (const ReadCancelled&) {
        return std::nullopt;
    }
}

// Runs the conversion; its files join the group, which puts them in place
// (or, in a dry run, tells which it would write) when it commits.
void RunJob(const FormatCatalogue& catalogue, JobInProgress& run, OutputGroup& group, const ConvertOptions& options,
            Progress progress, const RunStop& stop, std::FILE* err)
{
    const ConversionJob& job = run.job;
    JobOutcome& outcome = run.outcome;
    run.done = true;
    if (job.refusal.Refused()) {
        outcome.reason = RefusalText(catalogue, job.refusal);
        return;
    }
    if (progress == Progress::Verbose)
        for (const std::string& choice : job.choices) SayAsCommand(err, choice);
    ConversionSettings settings{.repairs = {.date = options.logDate,
                                            .zone = options.zone,
                                            .rollovers = options.rollovers,
                                            .shift = options.shift,
                                            .shiftText = options.shiftText},
                                .steps = options.steps,
                                .codePage = options.codePage,
                                .rawTexts = options.rawTexts,
                                .neverReplace = options.noClobber};
    JobRequest made = RequestFor(catalogue, job, settings);
    made.request.group = &group;
    made.request.watch = stop.Watch();
    const ConversionRequest& request = made.request;
    const std::size_t repairSteps = made.repairSteps;  // named apart, as repairs
    if (!made.stepError.empty()) {
        outcome.reason = made.stepError;
        return;
    }
    run.frontEnd = std::make_unique<CommandFrontEnd>(
        catalogue, job, err,
        CommandFrontEnd::Settings{progress == Progress::Verbose, options.noClobber, AnyStepChanges(request.steps)});
    CommandFrontEnd& frontEnd = *run.frontEnd;
    group.Expect([&run](const std::exception* error) {
        if (error) {
            run.outcome.state = JobOutcome::State::NotConverted;
            run.outcome.reason = ReasonOf(*error, run.job.inputs.front());
        }
        run.outcome.written = run.frontEnd->Written();
        run.done = true;
    });
    const std::optional<ConversionOutcome> converted = ConvertUnlessStopped(catalogue, request, frontEnd);
    if (!converted) {
        group.DropExpectation();
        return;  // abandoned: the run ends
    }
    const ConversionOutcome& result = *converted;
    for (std::size_t i = repairSteps; i < result.steps.size(); ++i) outcome.steps.push_back(result.steps[i].line);
    outcome.warnings = frontEnd.Messages();
    if (!result.Succeeded()) {
        group.DropExpectation();
        if (result.error) {
            try {
                std::rethrow_exception(result.error);
            } catch (const std::exception& error) {
                outcome.reason = ReasonOf(error, job.inputs.front());
            }
        } else {
            outcome.reason = frontEnd.Reason(result);
        }
        return;
    }
    outcome.counts = result.counts;
    outcome.repairs = TimeRepairNames(settings.repairs);
    // The code page is the first repair: the texts are read in it.
    if (result.codePageRead && result.codePageRead->mattered && !result.codePageRead->codePage.IsWindows1252())
        outcome.repairs.insert(outcome.repairs.begin(), CodePageRepairName(*result.codePageRead));
    const std::vector<Warning> losses = LossWarnings(catalogue, job, result);
    outcome.warnings.insert(outcome.warnings.end(), losses.begin(), losses.end());
    outcome.state = options.dryRun ? JobOutcome::State::Planned : JobOutcome::State::Converted;
    outcome.dataLeftOut = result.DataLeftOut();
    outcome.written = frontEnd.Written();
    // Files that joined the group are in place once it commits.
    run.done = group.DropExpectation();
}

void Print(const FormatCatalogue& catalogue, const ConversionJob& job, const JobOutcome& outcome, Progress progress,
           std::FILE* err)
{
    // The progress lines of a verbose run have said what each step did already.
    if (progress == Progress::Brief)
        for (const std::string& step : outcome.steps) PrintLine(err, job.inputs.front() + ": " + step);
    for (const Warning& warning : outcome.warnings)
        SayAsCommand(err, (warning.input.empty() ? job.inputs.front() : warning.input) + ": " + warning.text);
    if (outcome.state == JobOutcome::State::NotConverted) SayAsCommand(err, OutcomeLine(catalogue, job, outcome));
    else if (progress != Progress::Quiet) PrintLine(err, OutcomeLine(catalogue, job, outcome));
}

// The folder of an output of --each (a subfolder of -O with --recursive);
// empty when it is there, or why it cannot be made.
std::string MakeFolderOf(const std::string& output, std::string& made)
{
    const std::filesystem::path folder = std::filesystem::path(output).parent_path();
    if (folder.empty() || folder.string() == made) return {};
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return "cannot make the folder " + folder.string() + ": " + error.message();
    made = folder.string();
    return {};
}

// The status, or the end by the signal that stopped the run.
int Ended(const RunStop& stop, int status, std::FILE* err)
{
    if (stop.Signal() == 0) return status;
    SayAsCommand(err, "interrupted");
    stop.EndBySignal();
}

void Begin(JsonReport* report, const ConversionPlan& plan, std::FILE* err)
{
    if (report) report->Begin(plan);
    for (const SkippedEntry& entry : plan.skipped)
        // Pipes, sockets and devices are said one by one; the routine ones only counted.
        if (!entry.routine) SayAsCommand(err, entry.path + ": skipped: " + entry.reason);
    for (const SkippedEntry& folder : plan.unreadable)
        SayAsCommand(err, folder.path + ": cannot read the folder: " + folder.reason);
}

// Runs each job in turn; each one's files are in place as soon as they are
// on disk, and its line printed then. A stop asked for ends the run after
// the conversion under way, which is abandoned; the files of those before it
// are put in place and told.
void RunJobs(const FormatCatalogue& catalogue, const ConversionPlan& plan, const ConvertOptions& options,
             Progress progress, const RunStop& stop, const std::function<void(const JobInProgress&)>& told,
             std::FILE* err)
{
    std::deque<JobInProgress> runs;
    const auto tell = [&] {
        for (; !runs.empty() && runs.front().done; runs.pop_front()) told(runs.front());
    };
    std::optional<OutputGroup> group;
    if (options.dryRun) group.emplace(OutputGroup::Plan{options.each ? options.output : ""});
    else group.emplace(PlacingSettingsFor(options, err));
    std::string made;
    for (std::size_t i = 0; i < plan.jobs.size() && stop.Signal() == 0; ++i) {
        const ConversionJob& job = plan.jobs[i];
        if (i > 0 && progress == Progress::Verbose) std::fputs("\n", err);
        JobInProgress& run = runs.emplace_back(JobInProgress{job, {}, nullptr});
        std::string unmade;
        if (options.each && !options.output.empty() && !options.dryRun && !job.refusal.Refused())
            unmade = MakeFolderOf(job.output, made);
        if (unmade.empty()) {
            RunJob(catalogue, run, *group, options, progress, stop, err);
        } else {
            run.outcome.reason = unmade;
            run.done = true;
        }
        if (stop.Signal() != 0) {
            if (group->JoinedCount() > 0) group->WithdrawLatest();
            group->DropExpectation();
            runs.pop_back();
            break;
        }
        // Progress lines of a conversion stay beside its own line.
        if (progress == Progress::Verbose) group->Commit();
        else group->Send();
        group->TellPlaced();
        tell();
    }
    group->Commit();
    tell();
}

int RunConversions(const FormatCatalogue& catalogue, const ConvertOptions& options, std::FILE* err)
{
    const RunStop stop;
    // Made before the plan, so that a run interrupted while it plans (a pipe
    // among the inputs) still writes it; a report not written is not left.
    std::unique_ptr<JsonReport> report;
    if (!options.report.empty()) {
        try {
            report = std::make_unique<JsonReport>(options.report, options, options.inputs);
        } catch (const FileError& error) {
            SayAsCommand(err, error.Path() + ": " + error.SystemMessage() +
                                  (options.noClobber && error.ErrorNumber() == 0 ? " (--no-clobber)" : ""));
            return 1;
        }
    }
    const CommandPlan planned = PlanCommand(catalogue, options);
    if (!planned.usageError.empty()) return UsageError(err, planned.usageError);
    const ConversionPlan& plan = planned.conversions;
    if (report)
        if (const std::string clash = ReportClash(catalogue, plan, options.report); !clash.empty())
            return UsageError(err, clash + "; name another file, try '" + kCommandName + " --help'");
    const Progress progress = options.progress != Progress::Default ? options.progress
                              : options.each || options.dryRun      ? Progress::Brief
                                                                    : Progress::Verbose;
    Begin(report.get(), plan, err);
    Tally tally;
    tally.skipped = static_cast<std::int64_t>(plan.skipped.size());
    tally.unreadable = static_cast<std::int64_t>(plan.unreadable.size());
    // Each finished conversion in order: its count, its entry in the report
    // (before its line, which may go to a reader gone), its line.
    RunJobs(
        catalogue, plan, options, progress, stop,
        [&](const JobInProgress& run) {
            tally.Add(run.outcome);
            if (report) report->Add(catalogue, run.job, run.outcome, tally);
            Print(catalogue, run.job, run.outcome, progress, err);
        },
        err);
    const bool stopped = stop.Signal() != 0;
    if (report) report->Finish(tally, stopped);
    const bool reportFailed = report && report->Failure();
    if ((plan.jobs.size() > 1 || tally.skipped > 0 || tally.unreadable > 0) &&
        (progress != Progress::Quiet || tally.notConverted > 0 || tally.dataLeftOut > 0 || tally.unreadable > 0 ||
         stopped || reportFailed))
        SayAsCommand(err, tally.Summary(options.dryRun));
    // The report's failure is its own, said after what became of the inputs.
    if (reportFailed) SayAsCommand(err, *report->Failure());
    if (tally.notConverted > 0 || tally.unreadable > 0 || reportFailed) return Ended(stop, 1, err);
    return Ended(stop, options.strict && tally.dataLeftOut > 0 ? 3 : 0, err);
}

// What a command printed on standard output reached it, or it says why not.
int Checked(int status, CommandOutput& out, std::FILE* err)
{
    const int error = out.Error();
    if (error == 0) return status;
    SayAsCommand(err, std::string("standard output: ") + std::strerror(error));
    return 1;
}

int Print(const std::string& text, CommandOutput& out, std::FILE* err)
{
    out.Emit(text);
    return Checked(0, out, err);
}
}  // namespace

int RunConvertCommand(int argc, char** argv, std::FILE* stream, std::FILE* err)
{
    CommandOutput out(stream);
    const ParsedOptions parsed = ParseOptions(argc, argv);
    if (!parsed.error.empty())
        return UsageError(err, parsed.error + (parsed.error.back() == '?' ? " " : "; ") + "try '" + kCommandName +
                                   " --help'");
    const ConvertOptions& options = parsed.options;
    const FormatCatalogue catalogue(KnownFormats());
    switch (options.action) {
    case ConvertOptions::Action::Help: return Print(HelpText(), out, err);
    case ConvertOptions::Action::Version: return Print(VersionText(), out, err);
    case ConvertOptions::Action::ListFormats:
        return Print(options.json ? FormatListJson(catalogue) : FormatListText(catalogue), out, err);
    case ConvertOptions::Action::ManPage: return Print(ManPageText(catalogue), out, err);
    case ConvertOptions::Action::Completion:
        return Print(CompletionScript(catalogue, options.completionShell), out, err);
    case ConvertOptions::Action::Info: return Checked(RunInfo(catalogue, options, out, err), out, err);
    case ConvertOptions::Action::Recover: return Checked(RunRecover(options, err), out, err);
    case ConvertOptions::Action::Convert: break;
    }
    return Checked(RunConversions(catalogue, options, err), out, err);
}
