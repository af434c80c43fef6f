// SPDX-License-Identifier: GPL-3.0-or-later
// The front end of one conversion run from the command line: the job stands
// in for the window's fields and lists, progress lines go to standard error
// unless quiet, and each message box becomes a line "kes-convert: TEXT" there.
#pragma once

#include <cstdio>

#include "command/plan.h"
#include "core/frontend.h"

// A line "kes-convert: TEXT" on err: how the command says anything but progress.
void SayAsCommand(std::FILE* err, const std::string& text);

class CommandFrontEnd final : public FrontEnd {
public:
    CommandFrontEnd(const ConversionJob& job, bool quiet, std::FILE* err,
                    std::optional<std::chrono::year_month_day> logDate = std::nullopt);

    std::string InputFileText() override { return job_.inputs.front(); }
    std::vector<std::string> ChosenInputFiles() override;
    std::string OutputFileText() override { return job_.output; }
    int InputPosition() override { return job_.inputPosition; }
    int OutputPosition() override { return job_.outputPosition; }

    void AddLine(const std::string& text) override;
    void ClearLines() override {}
    // Announced losses (a capacity reached) are warnings. So is any other
    // message box after which the conversion goes on (a newer file version, a
    // damaged tail): a conversion fails only when it stops short or the reader
    // rejects its input, and the reason is the message shown before.
    // (ShowLimitMessage keeps its default, which comes here.)
    void ShowMessage(const std::string& text) override { SayAsCommand(err_, text); }
    void SetBusyCursor(bool) override {}
    void ProcessMessages() override {}
    // The date --date gives.
    std::optional<std::chrono::year_month_day> DateOfLog(const std::string&) override { return logDate_; }

    // Reached "Done ....." with the input not rejected.
    bool Succeeded() const;

private:
    const ConversionJob& job_;
    bool quiet_;
    std::FILE* err_;
    std::optional<std::chrono::year_month_day> logDate_;
    bool reachedDone_ = false;
};
