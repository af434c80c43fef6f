// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/convert/convert.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "core/convert/catalogue.h"
#include "core/convert/empty_output.h"
#include "core/convert/loss_survey.h"
#include "core/document/undated_times.h"
#include "core/io/file_io.h"
#include "core/io/file_names.h"
#include "core/io/input_file.h"
#include "core/io/output_transaction.h"
#include "core/io/temporary_folder.h"
#include "core/text/eight_bit_texts.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"

namespace {
class BusyCursor {
public:
    explicit BusyCursor(FrontEnd& frontEnd) : frontEnd_(frontEnd) { frontEnd_.SetBusyCursor(true); }
    ~BusyCursor() { frontEnd_.SetBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    FrontEnd& frontEnd_;
};

// A pipe the format check looked at and no reader took (a refused
// conversion, a failed read) is let go with its conversion.
class ReleasedAtEnd {
public:
    explicit ReleasedAtEnd(const std::vector<ConversionInput>& inputs) : inputs_(inputs) {}
    ~ReleasedAtEnd()
    {
        for (const ConversionInput& input : inputs_) InputFile::Release(input.name);
    }
    ReleasedAtEnd(const ReleasedAtEnd&) = delete;
    ReleasedAtEnd& operator=(const ReleasedAtEnd&) = delete;

private:
    const std::vector<ConversionInput>& inputs_;
};

std::string Counted(std::int64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The files the writer makes under the names the output row gives them.
std::vector<std::string> OutputFilesOf(const FormatCatalogue& catalogue, const ConversionRequest& r)
{
    const OutputFormatRow& row = catalogue.OutputRow(r.outputPosition);
    std::vector<std::string> files = {r.exactNames ? r.output : ChangeFileExt(r.output, row.extension)};
    if (row.besideExtension && !r.exactNames) files.push_back(ChangeFileExt(r.output, row.besideExtension));
    return files;
}

bool OutputIsAnInput(const FormatCatalogue& catalogue, const ConversionRequest& r)
{
    for (const std::string& output : OutputFilesOf(catalogue, r))
        for (const ConversionInput& input : r.inputs)
            if (!input.name.empty() && SameFileOnDisk(output, input.name)) return true;
    return false;
}

ChoiceCheck CheckCleaned(const FormatCatalogue& catalogue, const ConversionRequest& r)
{
    if (r.inputs.empty() || (r.inputs.size() == 1 && IsBlank(r.inputs.front().name))) return ChoiceCheck::NoInput;
    if (IsBlank(r.output)) return ChoiceCheck::NoOutput;
    for (const ConversionInput& input : r.inputs)
        if (!catalogue.IsInput(input.position)) return ChoiceCheck::NoInputFormat;
    if (!catalogue.IsOutput(r.outputPosition)) return ChoiceCheck::NoOutputFormat;
    // Written again in its own format, a file changes only by a step or a repair.
    for (const ConversionInput& input : r.inputs)
        if (catalogue.SameFormat(input.position, r.outputPosition) && !AnyStepChanges(r.steps))
            return ChoiceCheck::SameFormats;
    for (const ConversionInput& input : r.inputs)
        if (!catalogue.Compatible(input.position, r.outputPosition)) return ChoiceCheck::FormatsNotCompatible;
    if (OutputIsAnInput(catalogue, r)) return ChoiceCheck::OutputIsAnInput;
    return ChoiceCheck::Passed;
}

// The messages a reader gives while it reads are shown once it is done.
bool ShownAfterReading(FindingKind kind) { return kind == FindingKind::Notice || kind == FindingKind::Damaged; }
// The limits that left data out are shown after the count line.
bool ShownAfterWriting(FindingKind kind) { return kind == FindingKind::Cut || kind == FindingKind::Truncated; }

conversion::Message Told(std::string text, conversion::MessageCause cause = conversion::MessageCause::Finding,
                         std::string about = {})
{
    return {std::move(text), cause, std::move(about)};
}

void ReportLimits(const Findings& findings, FrontEnd& f)
{
    for (const Finding& finding : findings.All())
        if (ShownAfterWriting(finding.kind)) f.Report(Told(finding.message, conversion::MessageCause::Limit));
}

// Keeps what the mode takes of a document, counting what it passes over.
void KeepWhatIsAsked(ReadResult& read, ReadMode mode, PartsPassedOver& passedOver)
{
    Document& document = read.document;
    if (mode == ReadMode::Waypoints) {
        passedOver.tracks += read.tracksLeftOut + static_cast<std::int64_t>(document.tracks.size());
        document.tracks.clear();
    }
    if (mode == ReadMode::Tracks) {
        passedOver.waypoints += read.waypointsLeftOut + static_cast<std::int64_t>(document.waypoints.size());
        passedOver.routes += read.routesLeftOut + static_cast<std::int64_t>(document.routes.size());
        document.waypoints.clear();
        document.routes.clear();
    }
}

// The characters of the texts an 8-bit output cannot hold, written as '?'.
void CountUnheld(Findings& findings, std::int64_t unheld, const CodePage& codePage)
{
    if (unheld > 0)
        findings.Add(FindingKind::Reduced,
                     std::to_string(unheld) + (unheld == 1 ? " character" : " characters") + " of texts that " +
                         codePage.Name() + " cannot hold written as '" + kReplacementCharacter + "'",
                     unheld);
}

// The code page of the first input read in one.
void NoteCodePage(const ReadResult& read, std::optional<CodePageGuess>& first)
{
    if (!first && read.texts.codePage) first = read.texts.codePage;
}

// Reads every input, in groups of one format under their loading line.
Document ReadInputs(const FormatCatalogue& catalogue, const ConversionRequest& r,
                    const std::shared_ptr<const ReadContext>& context, FrontEnd& f, Findings& findings,
                    std::optional<CodePageGuess>& codePageRead, PartsPassedOver& passedOver)
{
    const int listed = catalogue.OutputRow(r.outputPosition).chosenFilesListed;
    Document document;
    const bool several = r.inputs.size() > 1;
    std::int64_t detailsDropped = 0;
    for (std::size_t first = 0; first < r.inputs.size();) {
        const int position = r.inputs[first].position;
        std::size_t end = first;
        while (end < r.inputs.size() && r.inputs[end].position == position) ++end;
        const std::size_t shown =
            end - first > 1 && listed > 0 ? std::min<std::size_t>(end - first, listed) : end - first;
        conversion::Reading reading{catalogue.InputRow(position).loading, {}};
        for (std::size_t i = first; i < first + shown; ++i) reading.files.push_back(r.inputs[i].name);
        f.Report(reading);
        for (std::size_t i = first; i < end; ++i) {
            const OutputFormatRow& output = catalogue.OutputRow(r.outputPosition);
            // Steps change what the writer takes (a crop, a simplification, a
            // fit), so with any step the inputs are read whole; a check that
            // only looks reads what the writer takes.
            const bool whole = AnyStepChanges(r.steps);
            const ReadOptions options{.mode = ModeFor(catalogue, position, r.outputPosition),
                                      .trackPointsKept = whole ? 0 : output.trackPointCapacity,
                                      .waypointsKept = whole ? 0 : output.waypointCapacity,
                                      .receiverFigures = whole || output.writesReceiverFigures,
                                      .keptExtensions = output.writesKeptExtensions,
                                      .codePage = r.codePage,
                                      .context = context};
            ReadResult read = ReadInput(catalogue, InputSource::File(r.inputs[i].name), position, options);
            KeepWhatIsAsked(read, options.mode, passedOver);
            if (read.findings.Has(FindingKind::Undated))
                if (const auto date = f.DateOfLog(r.inputs[i].name)) {
                    f.Report(conversion::LogDated{*date, DateUndatedTimes(read.document, *date)});
                    read.findings.Remove(FindingKind::Undated);
                }
            const std::string about = several ? r.inputs[i].name : std::string();
            for (const Finding& finding : read.findings.All())
                if (ShownAfterReading(finding.kind))
                    f.Report(Told(finding.message, conversion::MessageCause::Finding, about));
            if (several) read.findings.Attribute(r.inputs[i].name);
            findings.Add(read.findings);
            NoteCodePage(read, codePageRead);
            if (document.Append(std::move(read.document))) ++detailsDropped;
        }
        first = end;
    }
    if (detailsDropped > 0)
        findings.Add(FindingKind::Reduced,
                     "the file's details of " + Counted(detailsDropped, "other input", "other inputs") +
                         " dropped: an output holds those of one file, the first that has any",
                     detailsDropped);
    return document;
}

bool SeveralTracks(const FormatCatalogue& catalogue, const ConversionRequest& r, const Document& document)
{
    return document.tracks.size() > 1 ||
           std::any_of(r.inputs.begin(), r.inputs.end(),
                       [&catalogue](const ConversionInput& i) { return catalogue.InputRow(i.position).severalTracks; });
}

ConversionRequest Cleaned(ConversionRequest r)
{
    for (ConversionInput& input : r.inputs) input.name = StripQuotes(input.name);
    r.output = StripQuotes(r.output);
    return r;
}
}  // namespace

const char* ChoiceMessage(ChoiceCheck check)
{
    switch (check) {
    case ChoiceCheck::Passed: return "";
    case ChoiceCheck::NoInput: return "Input File not specified";
    case ChoiceCheck::NoOutput: return "Output File not specified";
    case ChoiceCheck::NoInputFormat: return "Input File Format not Selected";
    case ChoiceCheck::NoOutputFormat: return "Output File Format not Selected";
    case ChoiceCheck::SameFormats: return "Input and Output Formats cannot be the same";
    case ChoiceCheck::FormatsNotCompatible: return "Input and Output file format types are not the same";
    case ChoiceCheck::OutputIsAnInput: return "Output File cannot be the same as the Input File";
    }
    return "";
}

std::string CheckChoices(const FormatCatalogue& catalogue, const ConversionRequest& request)
{
    return ChoiceMessage(CheckCleaned(catalogue, Cleaned(request)));
}

ReadMode ModeFor(const FormatCatalogue& catalogue, int inputPosition, int outputPosition)
{
    if (catalogue.Outputs()[outputPosition].Kind == FormatKind::Everything) return ReadMode::Everything;
    return catalogue.Inputs()[inputPosition].Kind == FormatKind::Waypoints ? ReadMode::Waypoints : ReadMode::Tracks;
}

ReadResult ReadInput(const FormatCatalogue& catalogue, const InputSource& source, int position,
                     const ReadOptions& options)
{
    const InputFormatRow& row = catalogue.InputRow(position);
    ReadResult read = row.read(source.Watched(options.context ? options.context->watch : nullptr), options);
    if (!row.unicodeTexts && !read.texts.unicode)
        read.texts.codePage = ReadEightBitTexts(read.document, options.codePage);
    return read;
}

std::string WrittenLine(const OutputFormatRow& row, const WrittenCounts& w, const Findings& findings,
                        const EmptyCause& cause)
{
    const FormatKind kind = row.texts.kind;
    const std::int64_t unusable = findings.CountOf(FindingKind::Unusable);
    const std::string unusableNote = unusable == 0
                                         ? std::string()
                                         : "; " + Counted(unusable, "point", "points") + " without a usable position " +
                                               (unusable == 1 ? "was" : "were") + " left out";
    std::string undatedNote;
    for (const Finding& finding : findings.All())
        if (finding.kind == FindingKind::Undated && undatedNote.empty())
            undatedNote =
                std::string(row.datesUndatedToday ? ", dated today - " : ", without times - ") + finding.message;
    const std::string nothing = NothingRemark(cause, findings);
    if (kind == FormatKind::Everything) {
        if (w.waypoints == 0 && w.routes == 0 && w.trackPoints == 0)
            return "Written: no waypoints, no routes and no track points" + nothing;
        std::string line = "Written: " + Counted(w.waypoints, "waypoint", "waypoints") + ", " +
                           Counted(w.routes, "route", "routes") + ", " +
                           Counted(w.trackPoints, "track point", "track points");
        if (w.tracks > 1) line += " in " + std::to_string(w.tracks) + " tracks";
        return line + undatedNote + unusableNote;
    }
    if (kind == FormatKind::Waypoints) {
        if (w.waypoints == 0 && w.routes == 0) return "Written: no waypoints and no routes" + nothing;
        return "Written: " + Counted(w.waypoints, "waypoint", "waypoints") + ", " +
               Counted(w.routes, "route", "routes") + unusableNote;
    }
    if (w.trackPoints == 0) return "Written: no track points" + nothing;
    std::string line = "Written: " + Counted(w.trackPoints, "track point", "track points");
    if (w.trackFiles > 1) line += " in " + std::to_string(w.trackFiles) + " track files";
    return line + undatedNote + unusableNote;
}

ConversionOutcome Convert(const FormatCatalogue& catalogue, const ConversionRequest& asked, FrontEnd& f)
{
    const ConversionRequest r = Cleaned(asked);
    ConversionOutcome outcome;
    if (const ChoiceCheck failed = CheckCleaned(catalogue, r); failed != ChoiceCheck::Passed) {
        outcome.check = failed;
        outcome.reason = ChoiceMessage(failed);
        f.Report(Told(outcome.reason, conversion::MessageCause::Refusal));
        return outcome;
    }
    const ReleasedAtEnd released(r.inputs);
    // Every file the conversion writes is put in place at its end, or none is;
    // names derived while writing (track files) are checked against the inputs.
    OutputTransaction outputs(r.group);
    std::vector<std::string> inputNames;
    for (const ConversionInput& input : r.inputs) inputNames.push_back(input.name);
    outputs.ProtectInputs(inputNames);
    if (r.neverReplace) outputs.NeverReplace();
    // A batch puts the files of a conversion in place after it returns: what
    // the callback holds outlives this call.
    const auto placed = std::make_shared<std::vector<std::string>>();
    outputs.OnPlaced([placed, &f](const std::string& name) {
        placed->push_back(name);
        f.OutputWritten(name);
    });
    // Lists too long for memory spill beside the output when the temporary folder cannot be used.
    const auto context = std::make_shared<const ReadContext>(ReadContext{r.watch, FolderOfFileOutput(r.output)});
    outputs.StopWith(r.watch);
    const OutputFormatRow& output = catalogue.OutputRow(r.outputPosition);
    try {
        BusyCursor busy(f);
        f.Report(conversion::Started{});
        f.ProcessMessages();
        Document document;
        PartsPassedOver passedOver;
        try {
            document = ReadInputs(catalogue, r, context, f, outcome.findings, outcome.codePageRead, passedOver);
        } catch (const InputRefused& refused) {
            f.Report(Told(refused.what(), conversion::MessageCause::Refusal));
            f.Report(conversion::InputUnread{refused.PaneLine()});
            f.Report(conversion::NothingWritten{conversion::NothingWrittenReason::InputUnreadable, {}});
            f.Report(conversion::Done{});
            outcome.state = ConversionOutcome::State::Refused;
            outcome.reason = refused.what();
            return outcome;
        }
        f.Report(conversion::Processing{});
        EmptyCause& emptied = outcome.emptyCause;
        for (const auto& step : r.steps) {
            const bool hadPoints = emptied.step.empty() && PointCount(document) > 0;
            StepReport report = step->Apply(document);
            if (hadPoints && PointCount(document) == 0) emptied.step = step->Name();
            f.Report(conversion::StepDone{report.line});
            for (const FindingKind kind : report.settled) outcome.findings.Remove(kind);
            for (const Finding& finding : report.findings.All())
                if (ShownAfterReading(finding.kind)) f.Report(Told(finding.message));
            outcome.findings.Add(report.findings);
            outcome.steps.push_back(std::move(report));
        }
        // Told after what the writer tells, on the texts before any code page.
        NoteUnheldParts(document, output.holds, emptied);
        Findings losses;
        SurveyLosses(document, passedOver, output.holds, losses);
        if (output.eightBitTexts) {
            const CodePage read = outcome.codePageRead ? outcome.codePageRead->codePage : CodePage();
            // Automatic: in the code page read, where that was a single-byte one.
            const CodePage written = r.codePage != kAutomaticCodePage ? CodePage::Open(r.codePage)
                                     : read.SingleByte()              ? read
                                                                      : CodePage();
            CountUnheld(outcome.findings, WriteEightBitTexts(document, written), written);
            outcome.codePageWritten = written;
        }
        WriteRequest w;
        w.outputName = r.output;
        w.transaction = &outputs;
        w.clock = r.clock;
        w.exactNames = r.exactNames;
        w.numberTrackFiles = SeveralTracks(catalogue, r, document);
        w.rawTexts = r.rawTexts;
        w.inputNames = inputNames;
        w.addLine = [&f](const std::string& line) { f.Report(conversion::WriterLine{line}); };
        f.Report(conversion::Writing{output.writing, output.file(w)});
        WriteResult written = output.write(document, w);
        outcome.findings.Add(written.findings);
        outcome.findings.Add(losses);
        // Asked once, naming every file, track files included, before any is replaced.
        const std::vector<std::string> inUse = outputs.NamesInUse();
        if (WroteNothing(output.texts.kind, written.counts) && r.refuseNothingToWrite) {
            outcome.state = ConversionOutcome::State::NothingToWrite;
            outcome.counts = written.counts;
            const std::string why = NothingReason(output.texts.kind, emptied, outcome.findings);
            outcome.reason = why + ": nothing is written";
            f.Report(conversion::NothingWritten{conversion::NothingWrittenReason::NothingToWrite, why});
            // Where the input was read in part, the part not read may be why.
            ReportLimits(outcome.findings, f);
        } else if (!inUse.empty() && !f.ConfirmReplacing(inUse)) {
            outcome.state = ConversionOutcome::State::ExistingKept;
            f.Report(conversion::NothingWritten{conversion::NothingWrittenReason::ExistingKept, {}});
        } else {
            outputs.Commit();
            outcome.written = *placed;
            outcome.state = ConversionOutcome::State::Converted;
            outcome.counts = written.counts;
            f.Report(conversion::Written{&output, written.counts, outcome.findings, emptied});
            ReportLimits(outcome.findings, f);
        }
    } catch (const std::exception& error) {
        outcome.state = ConversionOutcome::State::Failed;
        outcome.reason = error.what();
        outcome.written.clear();
        outcome.error = std::current_exception();
        return outcome;
    }
    f.Report(conversion::Done{});
    return outcome;
}
