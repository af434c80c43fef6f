// SPDX-License-Identifier: GPL-3.0-or-later
// The Convert action: checks the user's choices, reads every input into one
// document, writes it in the output format, reports progress lines, and
// returns what became of the conversion as a value.
#pragma once

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/convert/empty_output.h"
#include "core/convert/format_rows.h"
#include "core/convert/frontend.h"
#include "core/document/document_step.h"
#include "core/document/findings.h"

class FormatCatalogue;
class OutputGroup;

struct ConversionInput {
    std::string name;   // as given; cleaned of quotes and blanks by the action
    int position = -1;  // in the input table; -1 none chosen
};

struct ConversionRequest {
    // In order; one input of a blank name is none given.
    std::vector<ConversionInput> inputs;
    std::string output;  // as typed
    int outputPosition = -1;
    // The output name is the file to write (the command's -O NAME).
    bool exactNames = false;
    // No existing file is replaced: a conversion that would is refused.
    bool neverReplace = false;
    // An output that would hold nothing of what its format takes is not put
    // in place: an empty file never replaces one worth more than it.
    bool refuseNothingToWrite = false;
    // Texts are written as they are, even where a spreadsheet would take them for a formula.
    bool rawTexts = false;
    // Applied in order to the document read, before it is written.
    DocumentSteps steps{};
    // The code page of the 8-bit formats' texts, read and written: a name
    // iconv knows, or "auto" (guessed on reading; written in the one read).
    std::string codePage{kAutomaticCodePage};
    // A batch the outputs join, to be put in place later; none: at the end of the conversion.
    OutputGroup* group = nullptr;
    // The time of the conversion.
    Clock clock{};
    // Shows how far the conversion's reads have gone and stops the whole
    // conversion when asked (ReadCancelled); none: nothing can stop it.
    std::shared_ptr<ReadWatch> watch{};
};

// The checks of a request's choices, in the order they are made.
enum class ChoiceCheck {
    Passed,
    NoInput,
    NoOutput,
    NoInputFormat,
    NoOutputFormat,
    SameFormats,           // written again in its own format without a change
    FormatsNotCompatible,  // an output of the other kind
    OutputIsAnInput,
};
// The message of a failed check ("Input File not specified" ...); empty for Passed.
const char* ChoiceMessage(ChoiceCheck check);

struct ConversionOutcome {
    enum class State {
        Converted,     // everything asked for was written
        NotStarted,    // a check of the choices failed; nothing was read
        Refused,       // an input was refused; nothing was written
        Failed,        // a file error or another fault; nothing was written
        ExistingKept,  // the user kept the files the outputs would have replaced
        // The output would hold nothing of what its format takes, and the
        // front end writes no such file: nothing was written.
        NothingToWrite,
    };
    State state = State::NotStarted;
    ChoiceCheck check = ChoiceCheck::Passed;  // NotStarted: which check failed
    // Why it was not converted: the check's message, the refusal, the error.
    std::string reason;
    // What the readers and the writer refused to take, cut, skipped or assumed.
    Findings findings;
    // What each step of the request did, in order.
    std::vector<StepReport> steps;
    WrittenCounts counts;
    // Why the output holds nothing of what its format takes, where it holds nothing.
    EmptyCause emptyCause;
    // The code page the 8-bit texts were read in (of the first input of an
    // 8-bit format), and the one an 8-bit output was written in.
    std::optional<CodePageGuess> codePageRead;
    std::optional<CodePage> codePageWritten;
    // Every file put in place (or written into, for a device), in order; in a
    // batch (OutputGroup), the files are put in place later, and the front
    // end's OutputWritten hears of them then.
    std::vector<std::string> written;
    // The error of a failed conversion, for a front end that tells a file's
    // error from others.
    std::exception_ptr error;

    bool Succeeded() const { return state == State::Converted; }
    bool DataLeftOut() const { return findings.LeaveDataOut(); }
};

// Runs the action, reporting to the front end. Every error is caught and
// becomes the outcome's reason; ReadCancelled (a stop asked for) propagates
// after every temporary file is removed.
ConversionOutcome Convert(const FormatCatalogue& catalogue, const ConversionRequest& request, FrontEnd& frontEnd);

// The message of the first check of the choices that fails, in the action's
// order ("Input File not specified" ...); empty when they are all right.
std::string CheckChoices(const FormatCatalogue& catalogue, const ConversionRequest& request);

// The mode the inputs are read in for an output position.
ReadMode ModeFor(const FormatCatalogue& catalogue, int inputPosition, int outputPosition);

// Reads one input as the format at `position`, everything it holds unless
// the options say otherwise, its file's fills and its lists reporting to the
// options' context.
ReadResult ReadInput(const FormatCatalogue& catalogue, const InputSource& source, int position,
                     const ReadOptions& options = {});

// The line of what was written, in the progress pane. An Undated finding's
// message says why points have no date ("the log gives no date"); the cause
// says why an output holds nothing.
std::string WrittenLine(const OutputFormatRow& output, const WrittenCounts& written, const Findings& findings,
                        const EmptyCause& cause = {});
