// SPDX-License-Identifier: GPL-3.0-or-later
// The one small interface through which the conversion and the readers reach
// the window: its fields and lists, the progress pane, message boxes, the
// busy cursor and the message pump.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    virtual std::string InputFileText() = 0;
    // The files chosen together in the input dialog, while the input field
    // still shows that choice; empty otherwise.
    virtual std::vector<std::string> ChosenInputFiles() = 0;
    virtual std::string OutputFileText() = 0;
    virtual int InputPosition() = 0;   // -1 = nothing selected
    virtual int OutputPosition() = 0;  // -1 = nothing selected

    virtual void AddLine(const std::string& text) = 0;
    virtual void ClearLines() = 0;
    virtual void ShowMessage(const std::string& text) = 0;  // modal, OK button
    // A limit that left data out: the conversion still completes. A message
    // box unless a front end shows these another way (a command line warns).
    virtual void ShowLimitMessage(const std::string& text) { ShowMessage(text); }
    virtual void SetBusyCursor(bool busy) = 0;
    // True when the output name is the file to write, whatever the format's
    // extension (the command's -O NAME), and no file beside it may be made
    // that the user did not ask for.
    virtual bool ExactOutputNames() { return false; }
    // True when no existing file may be replaced: a conversion that would
    // replace one is refused before any of its files is put in place.
    virtual bool KeepsExistingFiles() { return false; }
    // A file the conversion put in place (or wrote into, for a device), by the
    // name it was given, as it is placed: every file written, in order.
    virtual void OutputWritten(const std::string&) {}
    // The existing files the conversion's outputs would replace, all of them,
    // once all are written and before any is put in place: false keeps every
    // one as it is, and nothing is written.
    virtual bool ConfirmReplacing(const std::vector<std::string>&) { return true; }
    virtual void ProcessMessages() = 0;
    // The date of a log whose fixes give only their time of day, as the user
    // knows it; none (what a front end that cannot ask answers) leaves them undated.
    virtual std::optional<std::chrono::year_month_day> DateOfLog(const std::string&) { return std::nullopt; }
};

// Shows nothing and selects only the input position it is given: the front
// end outside a conversion, and a base for front ends that watch one thing.
class SilentFrontEnd : public FrontEnd {
public:
    explicit SilentFrontEnd(int inputPosition = -1) : inputPosition_(inputPosition) {}
    std::string InputFileText() override { return {}; }
    std::vector<std::string> ChosenInputFiles() override { return {}; }
    std::string OutputFileText() override { return {}; }
    int InputPosition() override { return inputPosition_; }
    int OutputPosition() override { return -1; }
    void AddLine(const std::string&) override {}
    void ClearLines() override {}
    void ShowMessage(const std::string&) override {}
    void SetBusyCursor(bool) override {}
    void ProcessMessages() override {}

private:
    int inputPosition_;
};

// The front end that readers on this thread report to. Outside a conversion
// it is a silent one that selects nothing.
FrontEnd& Front();

// Makes a front end the one readers on this thread report to, for the life of this object.
class ScopedFrontEnd {
public:
    explicit ScopedFrontEnd(FrontEnd& frontEnd);
    ~ScopedFrontEnd();
    ScopedFrontEnd(const ScopedFrontEnd&) = delete;
    ScopedFrontEnd& operator=(const ScopedFrontEnd&) = delete;

private:
    FrontEnd* previous_;
};
