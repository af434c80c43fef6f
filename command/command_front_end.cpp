// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/command_front_end.h"

#include "core/catalogue.h"
#include "core/convert.h"

CommandFrontEnd::CommandFrontEnd(const ConversionJob& job, std::FILE* err, Settings settings)
    : job_(job), err_(err), settings_(settings)
{}

std::vector<std::string> CommandFrontEnd::ChosenInputFiles()
{
    return job_.inputs.size() > 1 ? job_.inputs : std::vector<std::string>{};
}

void CommandFrontEnd::AddLine(const std::string& text)
{
    if (text == "Done .....") reachedDone_ = true;
    if (settings_.progressLines) std::fprintf(err_, "%s\n", text.c_str());
}

// The window's checks of the two formats name neither; here both are named.
void CommandFrontEnd::ShowMessage(const std::string& text)
{
    const bool known = IsInputPosition(job_.inputPosition) && IsOutputPosition(job_.outputPosition);
    if (known && text == "Input and Output file format types are not the same") {
        messages_.push_back(text + ": " + OutputFormats[job_.outputPosition].DisplayName + " cannot be written from " +
                            InputFormats[job_.inputPosition].DisplayName + " input");
    } else if (known && text == "Input and Output Formats cannot be the same") {
        messages_.push_back(text + ": both are " + OutputFormats[job_.outputPosition].DisplayName);
    } else {
        messages_.push_back(text);
    }
}

bool CommandFrontEnd::Succeeded() const { return reachedDone_ && !ReadFailed; }

void SayAsCommand(std::FILE* err, const std::string& text)
{
    std::fprintf(err, "%s: %s\n", kCommandName, text.c_str());
}
