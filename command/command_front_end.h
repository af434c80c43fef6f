// SPDX-License-Identifier: GPL-3.0-or-later
// The front end of one conversion run from the command line: the job stands
// in for the window's fields and lists, progress lines go to standard error
// when asked for, and each message box is kept as a line about the input,
// for the command to print once it knows whether the conversion succeeded.
#pragma once

#include <cstdio>

#include "command/plan.h"
#include "core/frontend.h"

// A line "kes-convert: TEXT" on err: how the command says anything but progress.
void SayAsCommand(std::FILE* err, const std::string& text);

class CommandFrontEnd final : public FrontEnd {
public:
    struct Settings {
        bool progressLines = false;  // the window's progress lines, on err
        bool keepExistingFiles = false;
        std::optional<std::chrono::year_month_day> logDate;
    };
    CommandFrontEnd(const ConversionJob& job, std::FILE* err, Settings settings);

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
    // rejects its input, and the reason is the message shown last.
    void ShowMessage(const std::string& text) override;
    // A limit that left data out, of the input or of the output format.
    void ShowLimitMessage(const std::string& text) override
    {
        limitReached_ = true;
        ShowMessage(text);
    }
    void SetBusyCursor(bool) override {}
    void ProcessMessages() override {}
    bool ExactOutputNames() override { return true; }
    bool KeepsExistingFiles() override { return settings_.keepExistingFiles; }
    void OutputWritten(const std::string& name) override { written_.push_back(name); }
    // The date --date gives.
    std::optional<std::chrono::year_month_day> DateOfLog(const std::string&) override { return settings_.logDate; }

    // Reached "Done ....." with the input not rejected.
    bool Succeeded() const;
    const std::vector<std::string>& Messages() const { return messages_; }
    const std::vector<std::string>& Written() const { return written_; }
    bool LimitReached() const { return limitReached_; }

private:
    const ConversionJob& job_;
    std::FILE* err_;
    Settings settings_;
    bool reachedDone_ = false;
    bool limitReached_ = false;
    std::vector<std::string> messages_;
    std::vector<std::string> written_;
};
