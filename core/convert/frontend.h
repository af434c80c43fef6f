// SPDX-License-Identifier: GPL-3.0-or-later
// The one small interface through which a conversion reaches the user: the
// events it reports as it goes, the busy cursor, and the questions it asks.
// A conversion may run on a thread of its own: a front end answers from there.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/convert/conversion_events.h"

class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    // What the conversion did or found, in order.
    virtual void Report(const ConversionEvent& event) = 0;
    virtual void SetBusyCursor(bool) {}
    virtual void ProcessMessages() {}
    // A file the conversion put in place (or wrote into, for a device), by the
    // name it was given, as it is placed: every file written, in order.
    virtual void OutputWritten(const std::string&) {}
    // The existing files the conversion's outputs would replace, all of them,
    // once all are written and before any is put in place: false keeps every
    // one as it is, and nothing is written.
    virtual bool ConfirmReplacing(const std::vector<std::string>&) { return true; }
    // The date of a log whose fixes give only their time of day, as the user
    // knows it; none (what a front end that cannot ask answers) leaves them undated.
    virtual std::optional<std::chrono::year_month_day> DateOfLog(const std::string&) { return std::nullopt; }
};

// A front end of a progress pane and message boxes: each event is shown as
// the pane's lines (PaneLines), each message as a box.
class PaneFrontEnd : public FrontEnd {
public:
    void Report(const ConversionEvent& event) override;

    virtual void AddLine(const std::string& text) = 0;
    virtual void ClearLines() = 0;
    virtual void ShowMessage(const std::string& text) = 0;  // modal, OK button
    // A limit that left data out: the conversion still completes. A message
    // box unless a front end shows these another way.
    virtual void ShowLimitMessage(const std::string& text) { ShowMessage(text); }
};

// Shows nothing and answers every question with its default.
class SilentFrontEnd : public FrontEnd {
public:
    void Report(const ConversionEvent&) override {}
};
