// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/command_front_end.h"

#include "core/catalogue.h"
#include "core/convert.h"

CommandFrontEnd::CommandFrontEnd(const ConversionJob& job, std::FILE* err, Settings settings)
    : job_(job), err_(err), settings_(settings)
{}

void CommandFrontEnd::AddLine(const std::string& text)
{
    if (settings_.progressLines) std::fprintf(err_, "%s\n", text.c_str());
}

std::string CommandFrontEnd::Reason(const ConversionOutcome& outcome) const
{
    const std::string& text = outcome.reason;
    const bool known = IsInputPosition(job_.inputPosition) && IsOutputPosition(job_.outputPosition);
    if (known && text == "Input and Output file format types are not the same")
        return text + ": " + OutputFormats[job_.outputPosition].DisplayName + " cannot be written from " +
               InputFormats[job_.inputPosition].DisplayName + " input";
    if (known && text == "Input and Output Formats cannot be the same")
        return text + ": both are " + OutputFormats[job_.outputPosition].DisplayName;
    return text.empty() ? "the conversion stopped" : text;
}

void SayAsCommand(std::FILE* err, const std::string& text)
{
    std::fprintf(err, "%s: %s\n", kCommandName, text.c_str());
}
