// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/convert/conversion_events.h"
#include "core/convert/convert.h"
#include "core/convert/frontend.h"
#include "core/document/undated_times.h"

namespace {
using Lines = std::vector<std::string>;
using namespace conversion;

std::string NothingLine(const NothingWritten& nothing)
{
    switch (nothing.reason) {
    case NothingWrittenReason::InputUnreadable: return "Written: nothing - the input file could not be read";
    case NothingWrittenReason::ExistingKept: return "Written: nothing - the existing files were kept";
    case NothingWrittenReason::NothingToWrite: break;
    }
    return "Written: nothing - " + nothing.why;
}

struct LinesOf {
    Lines operator()(const Started&) const { return {}; }
    Lines operator()(const Message&) const { return {}; }
    Lines operator()(const Reading& e) const
    {
        Lines lines{e.loading};
        lines.insert(lines.end(), e.files.begin(), e.files.end());
        return lines;
    }
    Lines operator()(const LogDated& e) const { return {DatedLine(e.day, e.dated)}; }
    Lines operator()(const InputUnread& e) const
    {
        if (e.paneLine.empty()) return {"Unable to Open File"};
        return {e.paneLine, "Unable to Open File"};
    }
    Lines operator()(const Processing&) const { return {"", "processing ....."}; }
    Lines operator()(const StepDone& e) const { return e.line.empty() ? Lines{} : Lines{e.line}; }
    Lines operator()(const Writing& e) const { return {"", e.writing, e.file}; }
    Lines operator()(const WriterLine& e) const { return {e.text}; }
    Lines operator()(const NothingWritten& e) const { return {NothingLine(e)}; }
    Lines operator()(const Written& e) const { return {WrittenLine(*e.output, e.counts, e.findings, e.emptyCause)}; }
    Lines operator()(const Done&) const { return {"", "Done ....."}; }
};
}  // namespace

std::vector<std::string> PaneLines(const ConversionEvent& event) { return std::visit(LinesOf{}, event); }

void PaneFrontEnd::Report(const ConversionEvent& event)
{
    if (std::holds_alternative<conversion::Started>(event)) ClearLines();
    if (const auto* message = std::get_if<conversion::Message>(&event)) {
        if (message->cause == conversion::MessageCause::Limit) ShowLimitMessage(message->text);
        else ShowMessage(message->text);
    }
    for (const std::string& line : PaneLines(event)) AddLine(line);
}
