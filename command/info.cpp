// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/info.h"

#include <algorithm>
#include <cmath>

#include "command/command_front_end.h"
#include "command/json_text.h"
#include "command/terminal_text.h"
#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/convert/format_lookup.h"
#include "core/convert/format_rows.h"
#include "core/document/measure.h"
#include "core/io/file_io.h"
#include "core/time/clock.h"
#include "repair/time_repairs.h"

namespace {
struct Measured {
    std::vector<int> formats;  // the formats the file may be read as
    FileFigures figures;
    bool readInPart = false;
    std::vector<std::string> messages;
    std::string error;                      // the file could not be read, or its format told
    std::optional<CodePageGuess> codePage;  // of an 8-bit format's texts
    bool codePageChosen = false;            // by --charset
    int rollovers = 0;                      // the times are shown as --rollover moves them
};

// "windows-1251 (guessed)": how the texts were read, and why in that code page.
std::string CodePageText(const Measured& m)
{
    const char* why = m.codePage->guessed ? " (guessed)" : m.codePageChosen ? " (chosen)" : " (default)";
    return m.codePage->codePage.Name() + why;
}

// The formats to read the file as: the one named, or those its content names
// (one of those that read everything: they read the same). A format read as
// waypoints and as tracks by two readers is read by both.
std::vector<int> FormatsOf(const FormatCatalogue& catalogue, const ConvertOptions& options, const std::string& file,
                           std::vector<int>& named, std::string& error)
{
    if (!options.inputFormat.empty()) return named = {FormatNamed(catalogue.Inputs(), options.inputFormat)};
    const FormatGuess guess = GuessFormat(catalogue.Inputs(), file, {}, true);
    named = guess.candidates;
    if (guess.candidates.empty()) error = "cannot tell its format from its content; name it with -i FORMAT";
    // Two rows of one reader read the same.
    std::vector<int> readers;
    for (int row : guess.candidates)
        if (std::none_of(readers.begin(), readers.end(),
                         [&](int r) { return catalogue.InputRow(r).read == catalogue.InputRow(row).read; }))
            readers.push_back(row);
    return readers;
}

Measured Measure(const FormatCatalogue& catalogue, const ConvertOptions& options, const std::string& file)
{
    Measured m;
    try {
        Document document;
        bool readInPart = false;
        for (int format : FormatsOf(catalogue, options, file, m.formats, m.error)) {
            // The figures take no speeds, courses or geoid heights.
            ReadResult read =
                ReadInput(catalogue, InputSource::File(file), format,
                          {.receiverFigures = false, .keptExtensions = false, .codePage = options.codePage});
            if (!m.codePage && read.texts.codePage && read.texts.codePage->mattered) m.codePage = read.texts.codePage;
            m.codePageChosen = options.codePage != kAutomaticCodePage;
            for (const Finding& finding : read.findings.All())
                if (!finding.message.empty() && finding.kind != FindingKind::Undated &&
                    finding.kind != FindingKind::Unusable)
                    m.messages.push_back(finding.message);
            readInPart = readInPart || read.findings.LeaveDataOut();
            document.Append(std::move(read.document));
        }
        // As a conversion does: the rollover asked for, else the check of early times.
        TimeRepairs repairs;
        repairs.rollovers = options.rollovers;
        for (const auto& step : TimeRepairSteps(repairs)) {
            const StepReport report = step->Apply(document);
            for (const Finding& finding : report.findings.All())
                if (!finding.message.empty()) m.messages.push_back(finding.message);
        }
        m.rollovers = options.rollovers;
        m.figures = MeasureDocument(document);
        m.readInPart = readInPart;
    } catch (const InputRefused& refused) {
        m.error = refused.what();
    } catch (const FileError& error) {
        m.error = error.Path() == file ? error.SystemMessage() : error.what();
    } catch (const std::exception& error) {
        m.error = error.what();
    }
    return m;
}

// "--rollover", "--rollover=2": as the option was given.
std::string RolloverOption(int rollovers)
{
    return "--rollover" + (rollovers == 1 ? std::string() : "=" + std::to_string(rollovers));
}

std::string FormatNames(const FormatCatalogue& catalogue, const std::vector<int>& formats)
{
    std::string text;
    for (int row : formats) text += (text.empty() ? "" : " and ") + catalogue.Inputs()[row].Name;
    return text;
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// h:mm:ss, hours beyond a day.
std::string Duration(double seconds)
{
    const auto whole = static_cast<long long>(std::llround(seconds));
    char text[64];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

// Waypoints are no line: they have no sections and no length.
std::string FiguresText(const std::string& title, const Figures& f, const std::optional<TimeZone>& zone,
                        bool line = true)
{
    std::string text = "  " + title + ": " + Grouped(f.points) + (f.points == 1 ? " point" : " points");
    if (line && f.sections > 1) text += " in " + Grouped(f.sections) + " sections";
    text += "\n";
    if (f.points == 0) return text;
    if (f.start) {
        text += "    time: " + IsoTime(*f.start) + " to " + IsoTime(*f.end);
        if (const auto seconds = f.Seconds(); seconds && line) text += " (" + Duration(*seconds) + ")";
        text += "\n";
        if (zone)
            text += "    local time (" + zone->Name() + "): " + zone->LocalIsoTime(*f.start) + " to " +
                    zone->LocalIsoTime(*f.end) + "\n";
    }
    if (line && f.points > 1)
        text += "    length: " + Fixed(f.metres, 1) + " m (" + Fixed(f.metres / 1000, 3) + " km)\n";
    if (!std::isnan(f.lowest))
        text += "    elevation: " + Fixed(f.lowest, 1) + " m to " + Fixed(f.highest, 1) + " m" +
                (line ? ", ascent " + Fixed(f.ascent, 1) + " m, descent " + Fixed(f.descent, 1) + " m" : "") + "\n";
    text += "    box: south " + Fixed(f.south, 6) + ", north " + Fixed(f.north, 6) + ", west " + Fixed(f.west, 6) +
            ", east " + Fixed(f.east, 6) + "\n";
    return text;
}

std::string Text(const FormatCatalogue& catalogue, const std::string& file, const Measured& m,
                 const std::optional<TimeZone>& zone)
{
    std::string text = Shown(file) + ": " + FormatNames(catalogue, m.formats) + "\n";
    if (m.codePage) text += "  code page: " + CodePageText(m) + "\n";
    if (m.rollovers > 0)
        text += "  times shown " + std::to_string(1024 * m.rollovers) + " weeks later than the file holds them (" +
                RolloverOption(m.rollovers) + ")\n";
    for (const GroupFigures& track : m.figures.tracks)
        text += FiguresText("track \"" + Shown(track.name) + "\"", track.figures, zone);
    for (const GroupFigures& route : m.figures.routes)
        text += FiguresText("route \"" + Shown(route.name) + "\"", route.figures, zone);
    text += FiguresText("waypoints", m.figures.waypoints, zone, false);
    if (m.readInPart) text += "  read in part: data was left out\n";
    return text;
}

std::string FiguresJson(const Figures& f, const std::optional<TimeZone>& zone)
{
    const auto time = [](const std::optional<UtcTime>& t) { return t ? JsonString(IsoTime(*t)) : std::string("null"); };
    const auto local = [&](const char* key, const std::optional<UtcTime>& t) {
        if (!zone) return std::string();
        return std::string(", \"") + key + "\": " + (t ? JsonString(zone->LocalIsoTime(*t)) : std::string("null"));
    };
    const auto seconds = f.Seconds();
    return "{\"points\": " + std::to_string(f.points) + ", \"sections\": " + std::to_string(f.sections) +
           ", \"start\": " + time(f.start) + ", \"end\": " + time(f.end) + local("localStart", f.start) +
           local("localEnd", f.end) + ", \"seconds\": " + (seconds ? JsonNumber(*seconds, 3) : "null") +
           ", \"metres\": " + JsonNumber(f.metres, 3) + ", \"lowest\": " + JsonNumber(f.lowest, 3) +
           ", \"highest\": " + JsonNumber(f.highest, 3) + ", \"ascent\": " + JsonNumber(f.ascent, 3) +
           ", \"descent\": " + JsonNumber(f.descent, 3) + ", \"south\": " + JsonNumber(f.south, 7) +
           ", \"north\": " + JsonNumber(f.north, 7) + ", \"west\": " + JsonNumber(f.west, 7) +
           ", \"east\": " + JsonNumber(f.east, 7) + "}";
}

std::string GroupsJson(const std::vector<GroupFigures>& groups, const std::optional<TimeZone>& zone)
{
    std::string text = "[";
    for (std::size_t i = 0; i < groups.size(); ++i)
        text += (i == 0 ? "" : ", ") + std::string("{\"name\": ") + JsonString(groups[i].name) +
                ", \"figures\": " + FiguresJson(groups[i].figures, zone) + "}";
    return text + "]";
}

std::string Json(const FormatCatalogue& catalogue, const std::string& file, const Measured& m,
                 const std::optional<TimeZone>& zone)
{
    std::string text = "  {" + JsonFileName("file", file);
    if (!m.error.empty()) return text + ", \"error\": " + JsonString(m.error) + "}";
    std::string formats = "[";
    for (std::size_t i = 0; i < m.formats.size(); ++i)
        formats += (i == 0 ? "" : ", ") + JsonString(catalogue.Inputs()[m.formats[i]].Name);
    return text + ", \"formats\": " + formats + "]" +
           (zone ? ", \"zone\": " + JsonString(zone->Name()) : std::string()) +
           (m.rollovers > 0 ? ", \"repairs\": [" + JsonString("rollover " + std::to_string(m.rollovers)) + "]"
                            : std::string()) +
           (m.codePage ? ", \"codePage\": {\"name\": " + JsonString(m.codePage->codePage.Name()) +
                             ", \"guessed\": " + (m.codePage->guessed ? "true" : "false") + "}"
                       : std::string()) +
           ", \"tracks\": " + GroupsJson(m.figures.tracks, zone) +
           ", \"routes\": " + GroupsJson(m.figures.routes, zone) +
           ", \"waypoints\": " + FiguresJson(m.figures.waypoints, zone) +
           ", \"readInPart\": " + (m.readInPart ? "true" : "false") + "}";
}
}  // namespace

int RunInfo(const FormatCatalogue& catalogue, const ConvertOptions& options, CommandOutput& out, std::FILE* err)
{
    if (!options.inputFormat.empty() && FormatNamed(catalogue.Inputs(), options.inputFormat) < 0) {
        SayAsCommand(err,
                     "unknown input format '" + options.inputFormat + "'; see '" + kCommandName + " --list-formats'");
        return 2;
    }
    bool failed = false, readInPart = false;
    if (options.json) out.Emit("{\"files\": [\n");
    for (std::size_t i = 0; i < options.inputs.size(); ++i) {
        const std::string& file = options.inputs[i];
        const Measured m = Measure(catalogue, options, file);
        for (const std::string& message : m.messages) SayAsCommand(err, file + ": " + message);
        if (!m.error.empty()) SayAsCommand(err, file + ": not read: " + m.error);
        failed = failed || !m.error.empty();
        readInPart = readInPart || m.readInPart;
        if (options.json) out.Emit((i == 0 ? "" : ",\n") + Json(catalogue, file, m, options.zone));
        else if (m.error.empty()) out.Emit((i == 0 ? "" : "\n") + Text(catalogue, file, m, options.zone));
    }
    if (options.json) out.Emit("\n]}\n");
    if (failed) return 1;
    return options.strict && readInPart ? 3 : 0;
}
