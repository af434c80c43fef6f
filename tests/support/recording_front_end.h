// SPDX-License-Identifier: GPL-3.0-or-later
// A front end for tests: set the conversion asked for as the window's fields
// would, then read what the action did.
#pragma once

#include <string>
#include <vector>

#include "core/convert/convert.h"
#include "core/convert/frontend.h"
#include "tests/support/test_catalogue.h"

class RecordingFrontEnd final : public PaneFrontEnd {
public:
    std::string inputText;
    std::vector<std::string> chosenInputs;
    std::string outputText;
    int inputPosition = -1;
    int outputPosition = -1;
    Clock clock{};  // the host's unless a test fixes one

    std::vector<std::string> lines;     // the progress pane
    std::vector<std::string> messages;  // message boxes, in order
    std::vector<std::string> events;    // everything above and the cursor and pump calls, in order
    bool busy = false;

    ConversionRequest Request() const
    {
        ConversionRequest request;
        for (const std::string& input : chosenInputs.empty() ? std::vector<std::string>{inputText} : chosenInputs)
            request.inputs.push_back({input, inputPosition});
        request.output = outputText;
        request.outputPosition = outputPosition;
        request.clock = clock;
        return request;
    }
    void AddLine(const std::string& text) override
    {
        lines.push_back(text);
        events.push_back("line: " + text);
    }
    void ClearLines() override
    {
        lines.clear();
        events.push_back("clear");
    }
    void ShowMessage(const std::string& text) override
    {
        messages.push_back(text);
        events.push_back("message: " + text);
    }
    void SetBusyCursor(bool on) override
    {
        busy = on;
        events.push_back(on ? "cursor: busy" : "cursor: normal");
    }
    void ProcessMessages() override { events.push_back("pump"); }
};

// The conversion the front end's fields ask for.
inline ConversionOutcome Convert(RecordingFrontEnd& f) { return Convert(TestCatalogue(), f.Request(), f); }
