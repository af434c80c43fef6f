// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/report.h"

#include "command/json_text.h"
#include "command/report_file.h"
#include "core/convert/catalogue.h"
#include "core/io/file_io.h"

namespace {
std::string Counted(std::int64_t n, const char* one, const char* many)
{
    return Grouped(n) + " " + (n == 1 ? one : many);
}

// The counts of what the output's kind holds.
std::string CountsInWords(const FormatCatalogue& catalogue, const ConversionJob& job, const WrittenCounts& c)
{
    const FormatKind kind = catalogue.Outputs()[job.outputPosition].Kind;
    std::string text;
    const auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (kind != FormatKind::Tracks) add(Counted(c.waypoints, "waypoint", "waypoints"));
    if (kind != FormatKind::Tracks && c.routes > 0) add(Counted(c.routes, "route", "routes"));
    if (kind != FormatKind::Waypoints) add(Counted(c.trackPoints, "track point", "track points"));
    return text;
}

std::string Joined(const std::vector<std::string>& names, const char* between)
{
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : between) + name;
    return text;
}

std::string JsonList(const std::vector<std::string>& texts)
{
    std::string text = "[";
    for (std::size_t i = 0; i < texts.size(); ++i) text += (i == 0 ? "" : ", ") + JsonString(texts[i]);
    return text + "]";
}

const char* StateName(JobOutcome::State state)
{
    switch (state) {
    case JobOutcome::State::Converted: return "converted";
    case JobOutcome::State::Planned: return "planned";
    default: return "not converted";
    }
}

std::string SkippedJson(const char* key, const char* reasonKey, const std::vector<SkippedEntry>& entries)
{
    std::string text = std::string(" \"") + key + "\": [";
    for (std::size_t i = 0; i < entries.size(); ++i)
        text += std::string(i == 0 ? "\n  " : ",\n  ") + "{" + JsonFileName("path", entries[i].path) + ", \"" +
                reasonKey + "\": " + JsonString(entries[i].reason) + "}";
    return text + (entries.empty() ? "]" : "\n ]");
}
}  // namespace

std::string OutcomeLine(const FormatCatalogue& catalogue, const ConversionJob& job, const JobOutcome& outcome)
{
    const std::string input = Joined(job.inputs, " + ");
    if (outcome.state == JobOutcome::State::NotConverted) return input + ": not converted: " + outcome.reason;
    const std::string written = outcome.written.empty() ? "nothing written" : Joined(outcome.written, ", ");
    return input + " -> " + written + " (" + CountsInWords(catalogue, job, outcome.counts) +
           (outcome.repairs.empty() ? "" : "; repairs: " + Joined(outcome.repairs, ", ")) +
           (outcome.dataLeftOut ? "; data left out" : "") +
           (outcome.state == JobOutcome::State::Planned ? "; dry run: nothing written" : "") + ")";
}

void Tally::Add(const JobOutcome& outcome)
{
    if (outcome.state == JobOutcome::State::NotConverted) ++notConverted;
    else ++converted;
    if (outcome.dataLeftOut) ++dataLeftOut;
}

std::string Tally::Summary(bool planned) const
{
    std::string text = Grouped(converted) + (planned ? " would be converted" : " converted");
    if (notConverted > 0) text += ", " + Grouped(notConverted) + (planned ? " would not be" : " not converted");
    if (dataLeftOut > 0) text += ", " + Grouped(dataLeftOut) + " with data left out";
    if (skipped > 0) text += ", " + Grouped(skipped) + " skipped";
    if (unreadable > 0) text += ", " + Counted(unreadable, "folder not read", "folders not read");
    return text;
}

JsonReport::JsonReport(const std::string& path, const ConvertOptions& options, const std::vector<std::string>& inputs)
    : file_(std::make_unique<ReportFile>(path, options.noClobber, inputs))
{
    file_->Append(std::string("{\"dryRun\": ") + (options.dryRun ? "true" : "false") + ",\n", Ending({}, true));
}

template <typename Write>
void JsonReport::Try(Write write)
{
    if (!file_) return;
    try {
        write(*file_);
    } catch (const FileError& error) {
        failure_ = error.Path() + ": " + error.SystemMessage();
        file_.reset();
    }
}

void JsonReport::Begin(const ConversionPlan& plan)
{
    Tally tally;
    tally.skipped = static_cast<std::int64_t>(plan.skipped.size());
    begun_ = true;
    Try([&](ReportFile& file) {
        file.Append(SkippedJson("skipped", "reason", plan.skipped) + ",\n" +
                        SkippedJson("unreadableFolders", "error", plan.unreadable) + ",\n \"files\": [",
                    Ending(tally, true));
    });
}

JsonReport::~JsonReport() = default;

std::string JsonReport::Ending(const Tally& tally, bool interrupted) const
{
    // Interrupted while the inputs were planned: nothing was converted.
    const char* opening = begun_ ? "" : " \"skipped\": [],\n \"unreadableFolders\": [],\n \"files\": [";
    return opening + std::string(first_ ? "]" : "\n ]") + ",\n \"converted\": " + std::to_string(tally.converted) +
           ", \"notConverted\": " + std::to_string(tally.notConverted) +
           ", \"dataLeftOut\": " + std::to_string(tally.dataLeftOut) +
           ", \"skippedCount\": " + std::to_string(tally.skipped) +
           ", \"interrupted\": " + (interrupted ? "true" : "false") + "}\n";
}

void JsonReport::Add(const FormatCatalogue& catalogue, const ConversionJob& job, const JobOutcome& outcome,
                     const Tally& tally)
{
    if (!file_) return;
    std::string entry = first_ ? "\n  {" : ",\n  {";
    first_ = false;
    entry += JsonFileName("input", job.inputs.front());
    entry += ", \"status\": " + JsonString(StateName(outcome.state));
    if (catalogue.IsInput(job.inputPosition))
        entry += ", \"inputFormat\": " + JsonString(catalogue.Inputs()[job.inputPosition].Name);
    if (job.inputs.size() > 1) {
        // Read together with the first: each with its format.
        entry += ", \"alsoRead\": [";
        for (std::size_t i = 1; i < job.inputs.size(); ++i) {
            entry += std::string(i > 1 ? ", " : "") + "{" + JsonFileName("input", job.inputs[i]);
            if (i < job.inputPositions.size())
                entry += ", \"inputFormat\": " + JsonString(catalogue.Inputs()[job.inputPositions[i]].Name);
            entry += "}";
        }
        entry += "]";
    }
    if (catalogue.IsOutput(job.outputPosition)) {
        entry += ", \"outputFormat\": " + JsonString(catalogue.Outputs()[job.outputPosition].Name);
        entry += ", " + JsonFileName("output", job.output);
    }
    if (outcome.state == JobOutcome::State::NotConverted) entry += ", \"reason\": " + JsonString(outcome.reason);
    if (outcome.state != JobOutcome::State::NotConverted) {
        const bool planned = outcome.state == JobOutcome::State::Planned;
        entry += ", " + JsonFileNames(planned ? "wouldWrite" : "written", outcome.written);
        entry += ", \"waypoints\": " + std::to_string(outcome.counts.waypoints);
        entry += ", \"routes\": " + std::to_string(outcome.counts.routes);
        entry += ", \"trackPoints\": " + std::to_string(outcome.counts.trackPoints);
        entry += std::string(", \"dataLeftOut\": ") + (outcome.dataLeftOut ? "true" : "false");
        if (!outcome.repairs.empty()) entry += ", \"repairs\": " + JsonList(outcome.repairs);
        if (!outcome.steps.empty()) entry += ", \"steps\": " + JsonList(outcome.steps);
    }
    std::vector<std::string> warnings;
    for (const Warning& w : outcome.warnings)
        warnings.push_back(w.input.empty() || w.input == job.inputs.front() ? w.text : w.input + ": " + w.text);
    entry += ", \"warnings\": " + JsonList(warnings) + "}";
    Try([&](ReportFile& file) { file.Append(entry, Ending(tally, true)); });
}

void JsonReport::Finish(const Tally& tally, bool interrupted)
{
    Try([&](ReportFile& file) { file.Finish(Ending(tally, interrupted)); });
    file_.reset();
}
