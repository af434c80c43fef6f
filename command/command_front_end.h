// SPDX-License-Identifier: GPL-3.0-or-later
// The front end of one conversion run from the command line: the job stands
// in for the window's fields and lists, progress lines go to standard error
// when asked for, and each message box is kept as a line about the input,
// for the command to print once it knows whether the conversion succeeded.
#pragma once

#include <cstdio>

#include "command/plan.h"
#include "command/report.h"
#include "core/convert/convert.h"
#include "core/convert/frontend.h"

class FormatCatalogue;

// A line "kes-convert: TEXT" on err: how the command says anything but progress.
void SayAsCommand(std::FILE* err, const std::string& text);

class CommandFrontEnd final : public FrontEnd {
public:
    struct Settings {
        bool progressLines = false;  // the window's progress lines, on err
        bool keepExistingFiles = false;
        // A repair or a shaping step is asked for: an input's own format may be written.
        bool ownFormatWritten = false;
    };
    CommandFrontEnd(const FormatCatalogue& catalogue, const ConversionJob& job, std::FILE* err, Settings settings);

    // The window's progress lines, when asked for; every message is a
    // warning, but the one that gives the reason of a conversion that stopped.
    void Report(const ConversionEvent& event) override;
    void OutputWritten(const std::string& name) override { written_.push_back(name); }
    // With --no-clobber, existing files are kept: the conversion writes none
    // and says so before its count line, which then tells the truth.
    bool ConfirmReplacing(const std::vector<std::string>& names) override;

    const std::vector<Warning>& Messages() const { return messages_; }
    const std::vector<std::string>& Written() const { return written_; }
    // Why a conversion that did not succeed stopped, naming both formats
    // where the window's check names neither.
    std::string Reason(const ConversionOutcome& outcome) const;

private:
    const FormatCatalogue& catalogue_;
    const ConversionJob& job_;
    std::FILE* err_;
    Settings settings_;
    std::vector<Warning> messages_;
    std::vector<std::string> written_;
    std::vector<std::string> kept_;  // the existing files --no-clobber kept
};
