// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/run.h"

#include <exception>
#include <filesystem>

#include "command/command_front_end.h"
#include "command/options.h"
#include "command/plan.h"
#include "command/texts.h"
#include "core/catalogue.h"
#include "core/clock.h"
#include "core/convert.h"
#include "core/output_transaction.h"
#include "formats/format_table.h"

namespace {
int UsageError(std::FILE* err, const std::string& text)
{
    SayAsCommand(err, text);
    return 2;
}

bool RunJob(const ConversionJob& job, const ConvertOptions& options, std::FILE* err)
{
    if (!job.refusal.empty()) {
        SayAsCommand(err, job.refusal);
        return false;
    }
    if (!options.quiet)
        for (const std::string& choice : job.choices) SayAsCommand(err, choice);
    CommandFrontEnd frontEnd(job, options.quiet, err, options.logDate);
    try {
        Convert(frontEnd);
    } catch (const std::exception& error) {
        SayAsCommand(err, error.what());
        return false;
    }
    return frontEnd.Succeeded();
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
    case ConvertOptions::Action::Convert: break;
    }

    TimeZoneBias = HostTimeZoneBias();
    const ConversionPlan plan = PlanConversions(options);
    if (!plan.usageError.empty()) return UsageError(err, plan.usageError);
    if (options.each && !options.output.empty()) {
        std::error_code error;
        std::filesystem::create_directories(options.output, error);
        if (error) {
            SayAsCommand(err, "cannot make the folder " + options.output + ": " + error.message());
            return 1;
        }
    }

    std::size_t failed = 0;
    const FolderFlushes onceForTheBatch;
    for (std::size_t i = 0; i < plan.jobs.size(); ++i) {
        const ConversionJob& job = plan.jobs[i];
        if (i > 0 && !options.quiet) std::fputs("\n", err);
        if (!RunJob(job, options, err)) {
            ++failed;
            SayAsCommand(err, job.inputs.front() + " was not converted");
        }
    }
    if (failed > 0 && plan.jobs.size() > 1)
        SayAsCommand(err,
                     std::to_string(failed) + " of " + std::to_string(plan.jobs.size()) + " files were not converted");
    return failed > 0 ? 1 : 0;
}
