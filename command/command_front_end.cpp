// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/command_front_end.h"

#include "core/convert.h"

CommandFrontEnd::CommandFrontEnd(const ConversionJob& job, bool quiet, std::FILE* err,
                                 std::optional<std::chrono::year_month_day> logDate)
    : job_(job), quiet_(quiet), err_(err), logDate_(logDate)
{}

std::vector<std::string> CommandFrontEnd::ChosenInputFiles()
{
    return job_.inputs.size() > 1 ? job_.inputs : std::vector<std::string>{};
}

void CommandFrontEnd::AddLine(const std::string& text)
{
    if (text == "Done .....") reachedDone_ = true;
    if (!quiet_) std::fprintf(err_, "%s\n", text.c_str());
}

bool CommandFrontEnd::Succeeded() const { return reachedDone_ && !ReadFailed; }

void SayAsCommand(std::FILE* err, const std::string& text)
{
    std::fprintf(err, "%s: %s\n", kCommandName, text.c_str());
}
