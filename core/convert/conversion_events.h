// SPDX-License-Identifier: GPL-3.0-or-later
// What a conversion tells its front end as it goes, in order, as values: the
// front end decides how each is shown (the window's pane and message boxes,
// the command's progress lines and warnings).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "core/convert/empty_output.h"
#include "core/convert/format_rows.h"
#include "core/document/findings.h"

namespace conversion {

// The conversion passed its checks and begins: earlier progress is done with.
struct Started {};

// A group of inputs of one format is read: the format's loading line and the
// files listed under it.
struct Reading {
    std::string loading;
    std::vector<std::string> files;
};

// The fixes of a log that gave only times of day were dated on the day the user gave.
struct LogDated {
    std::chrono::year_month_day day;
    std::int64_t dated = 0;
};

// Why a message is told.
enum class MessageCause {
    Finding,  // what a reader or a step found; the conversion goes on
    Limit,    // a limit of the output left data out; told after the count line
    Refusal,  // why the conversion stops: a choice check failed, an input was refused
};

struct Message {
    std::string text;
    MessageCause cause = MessageCause::Finding;
    // The input it is about, where several are read together; empty: the conversion as a whole.
    std::string about;
};

// An input was refused by its reader; the reader's own line comes first where it gave one.
struct InputUnread {
    std::string paneLine;
};

// Everything was read: the steps and the writing follow.
struct Processing {};

// A step of the request changed the document, as it says.
struct StepDone {
    std::string line;
};

// The writer begins: the output format's writing line and the file it writes.
struct Writing {
    std::string writing;
    std::string file;
};

// A line the writer gives of its own (another file it makes beside the output).
struct WriterLine {
    std::string text;
};

enum class NothingWrittenReason {
    InputUnreadable,  // an input was refused
    NothingToWrite,   // the output would hold nothing, and the request writes no such file
    ExistingKept,     // the user kept the files the outputs would have replaced
};

struct NothingWritten {
    NothingWrittenReason reason;
    // NothingToWrite: why the output holds nothing ("no track points were found in the input").
    std::string why;
};

// The files were put in place, holding these counts.
struct Written {
    const OutputFormatRow* output = nullptr;
    WrittenCounts counts;
    Findings findings;
    EmptyCause emptyCause;
};

// The conversion ran to its end (whether or not anything was written).
struct Done {};

}  // namespace conversion

using ConversionEvent =
    std::variant<conversion::Started, conversion::Reading, conversion::LogDated, conversion::Message,
                 conversion::InputUnread, conversion::Processing, conversion::StepDone, conversion::Writing,
                 conversion::WriterLine, conversion::NothingWritten, conversion::Written, conversion::Done>;

// The progress pane's lines of an event, as the window shows them and the
// command prints them with --verbose; none for Started and Message.
std::vector<std::string> PaneLines(const ConversionEvent& event);
