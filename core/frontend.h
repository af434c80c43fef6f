// The one small interface through which the conversion and the readers reach
// the window: its fields and lists, the progress pane, message boxes, the
// busy cursor and the message pump.
#pragma once

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
    virtual void SetBusyCursor(bool busy) = 0;
    virtual void ProcessMessages() = 0;
};

// The front end that readers report to. Outside a conversion it is a silent
// one that selects nothing.
FrontEnd& Front();

// Makes a front end the one readers report to, for the life of this object.
class ScopedFrontEnd {
public:
    explicit ScopedFrontEnd(FrontEnd& frontEnd);
    ~ScopedFrontEnd();
    ScopedFrontEnd(const ScopedFrontEnd&) = delete;
    ScopedFrontEnd& operator=(const ScopedFrontEnd&) = delete;

private:
    FrontEnd* previous_;
};
