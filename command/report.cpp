// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/report.h"

#include "command/json_text.h"
#include "core/catalogue.h"
#include "core/file_io.h"

namespace {
std::string Counted(std::int64_t n, const char* one, const char* many)
{
    return Grouped(n) + " " + (n == 1 ? one : many);
}

// The counts of what the output's kind holds.
std::string CountsInWords(const ConversionJob& job, const WrittenCounts& c)
{
    const std::string& kind = OutputFormats[job.outputPosition].Kind;
    std::string text;
    const auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (kind != "trk") add(Counted(c.waypoints, "waypoint", "waypoints"));
    if (kind != "trk" && c.routes > 0) add(Counted(c.routes, "route", "routes"));
    if (kind != "wp") add(Counted(c.trackPoints, "track point", "track points"));
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
}  // namespace

std::string OutcomeLine(const ConversionJob& job, const JobOutcome& outcome)
{
    const std::string& input = job.inputs.front();
    switch (outcome.state) {
    case JobOutcome::State::NotConverted: return input + ": not converted: " + outcome.reason;
    case JobOutcome::State::Planned:
        return input + " (" + InputFormats[job.inputPosition].Name + ") -> " + job.output + " (" +
               OutputFormats[job.outputPosition].Name + ")";
    case JobOutcome::State::Converted: break;
    }
    const std::string written = outcome.written.empty() ? "nothing written" : Joined(outcome.written, ", ");
    return input + " -> " + written + " (" + CountsInWords(job, outcome.counts) +
           (outcome.dataLeftOut ? "; data left out" : "") + ")";
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
    if (notConverted > 0) text += ", " + Grouped(notConverted) + " not converted";
    if (dataLeftOut > 0) text += ", " + Grouped(dataLeftOut) + " with data left out";
    return text;
}

JsonReport::JsonReport(const std::string& path) : file_(std::make_unique<SafeFileWriter>(path)) {}

JsonReport::~JsonReport() = default;

void JsonReport::Add(const ConversionJob& job, const JobOutcome& outcome)
{
    std::string entry = first_ ? "{\"files\": [\n" : ",\n";
    first_ = false;
    entry += "  {\"input\": " + JsonString(job.inputs.front());
    entry += ", \"status\": " + JsonString(StateName(outcome.state));
    if (IsInputPosition(job.inputPosition))
        entry += ", \"inputFormat\": " + JsonString(InputFormats[job.inputPosition].Name);
    if (IsOutputPosition(job.outputPosition)) {
        entry += ", \"outputFormat\": " + JsonString(OutputFormats[job.outputPosition].Name);
        entry += ", \"output\": " + JsonString(job.output);
    }
    if (outcome.state == JobOutcome::State::NotConverted) entry += ", \"reason\": " + JsonString(outcome.reason);
    if (outcome.state == JobOutcome::State::Converted) {
        entry += ", \"written\": " + JsonList(outcome.written);
        entry += ", \"waypoints\": " + std::to_string(outcome.counts.waypoints);
        entry += ", \"routes\": " + std::to_string(outcome.counts.routes);
        entry += ", \"trackPoints\": " + std::to_string(outcome.counts.trackPoints);
        entry += std::string(", \"dataLeftOut\": ") + (outcome.dataLeftOut ? "true" : "false");
    }
    entry += ", \"warnings\": " + JsonList(outcome.warnings) + "}";
    file_->Append(entry);
}

void JsonReport::Finish(const Tally& tally)
{
    file_->Append(std::string(first_ ? "{\"files\": [" : "\n") + "],\n \"converted\": " +
                  std::to_string(tally.converted) + ", \"notConverted\": " + std::to_string(tally.notConverted) +
                  ", \"dataLeftOut\": " + std::to_string(tally.dataLeftOut) + "}\n");
    file_->Commit();
}
