// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/command_front_end.h"

#include "command/terminal_text.h"
#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/convert/format_rows.h"

CommandFrontEnd::CommandFrontEnd(const FormatCatalogue& catalogue, const ConversionJob& job, std::FILE* err,
                                 Settings settings)
    : catalogue_(catalogue), job_(job), err_(err), settings_(settings)
{}

void CommandFrontEnd::Report(const ConversionEvent& event)
{
    if (const auto* message = std::get_if<conversion::Message>(&event)) {
        // The refusal is the conversion's reason, said once as such.
        if (message->cause != conversion::MessageCause::Refusal) messages_.push_back({message->about, message->text});
        return;
    }
    if (settings_.progressLines)
        for (const std::string& line : PaneLines(event)) PrintLine(err_, line);
}

namespace {
// "NMEA tracks": the first word of the format's caption, and its kind.
std::string InputInWords(const FormatCatalogue& catalogue, int inputPosition)
{
    const FileType_Record& row = catalogue.Inputs()[inputPosition];
    return row.DisplayName.substr(0, row.DisplayName.find(' ')) +
           (row.Kind == FormatKind::Waypoints ? " waypoints" : " tracks");
}

// The outputs to offer for an input: the first of its kind in the table (the
// Kestrelmaps file, unless that is the input's own format and no step
// changes it) and those that take everything.
std::string OutputsFor(const FormatCatalogue& catalogue, int inputPosition, bool ownFormatWritten)
{
    std::vector<std::string> names;
    for (const FileType_Record& row : catalogue.Outputs()) {
        if (!catalogue.Compatible(inputPosition, row.Position)) continue;
        if (catalogue.SameFormat(inputPosition, row.Position) && !ownFormatWritten) continue;
        if (row.Kind == FormatKind::Everything || names.empty()) names.push_back(row.Name);
    }
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}
}  // namespace

bool CommandFrontEnd::ConfirmReplacing(const std::vector<std::string>& names)
{
    if (settings_.keepExistingFiles) kept_ = names;
    return !settings_.keepExistingFiles;
}

// The window's checks of the two formats name neither; here both are named,
// with the outputs that would do.
std::string CommandFrontEnd::Reason(const ConversionOutcome& outcome) const
{
    const std::string& text = outcome.reason;
    const bool known = catalogue_.IsInput(job_.inputPosition) && catalogue_.IsOutput(job_.outputPosition);
    if (known && outcome.check == ChoiceCheck::FormatsNotCompatible) {
        // Among inputs of several formats, the first the output cannot take.
        std::size_t i = 0;
        while (i + 1 < job_.inputPositions.size() && catalogue_.Compatible(job_.inputPositions[i], job_.outputPosition))
            ++i;
        const int input = i < job_.inputPositions.size() ? job_.inputPositions[i] : job_.inputPosition;
        const std::string whose = job_.inputs.size() > 1 ? job_.inputs.at(i) + ": " : "";
        return whose + catalogue_.Outputs()[job_.outputPosition].Name + " cannot be written from " +
               InputInWords(catalogue_, input) + ": try -o " +
               OutputsFor(catalogue_, input, settings_.ownFormatWritten);
    }
    if (outcome.state == ConversionOutcome::State::ExistingKept && !kept_.empty()) {
        std::string names;
        for (std::size_t i = 0; i < kept_.size(); ++i)
            names += (i == 0 ? "" : i + 1 == kept_.size() ? " and " : ", ") + kept_[i];
        return (kept_.size() == 1 ? "its output " + names + " exists already and is kept"
                                  : "its outputs " + names + " exist already and are kept") +
               " (--no-clobber)";
    }
    if (known && outcome.check == ChoiceCheck::SameFormats)
        return text + ": both are " + catalogue_.Outputs()[job_.outputPosition].DisplayName;
    return text.empty() ? "the conversion stopped" : text;
}

void SayAsCommand(std::FILE* err, const std::string& text) { PrintLine(err, std::string(kCommandName) + ": " + text); }
