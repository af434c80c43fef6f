// The front end of one conversion run from the command line: the job stands
// in for the window's fields and lists, progress lines go to standard error
// unless quiet, and each message box becomes a line "kes-convert: TEXT" there.
#pragma once

#include <cstdio>

#include "command/plan.h"
#include "core/frontend.h"

class CommandFrontEnd final : public FrontEnd {
public:
    CommandFrontEnd(const ConversionJob& job, bool quiet, std::FILE* err);

    std::string InputFileText() override { return job_.inputs.front(); }
    std::vector<std::string> ChosenInputFiles() override;
    std::string OutputFileText() override { return job_.output; }
    int InputPosition() override { return job_.inputPosition; }
    int OutputPosition() override { return job_.outputPosition; }

    void AddLine(const std::string& text) override;
    void ClearLines() override {}
    // A message box cannot yet be told from a limit message (announced losses),
    // so each is a warning and only a conversion that stops short fails. Once
    // limit messages come through a call of their own, overriding it with
    // Report(text, Severity::Warning) keeps them warnings, and the Severity
    // below turns to Failure.
    void ShowMessage(const std::string& text) override { Report(text, Severity::Warning); }
    void SetBusyCursor(bool) override {}
    void ProcessMessages() override {}

    // Reached "Done ....." with no failure shown and the input not rejected.
    bool Succeeded() const;

private:
    enum class Severity { Warning, Failure };
    void Report(const std::string& text, Severity severity);

    const ConversionJob& job_;
    bool quiet_;
    std::FILE* err_;
    bool reachedDone_ = false;
    bool failureShown_ = false;
};
