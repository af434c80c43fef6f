// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/convert.h"

#include <memory>

#include "core/catalogue.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/file_names.h"
#include "core/format_rows.h"
#include "core/input_file.h"
#include "core/output_transaction.h"
#include "core/store.h"
#include "core/store_lock.h"
#include "core/temporary_folder.h"
#include "core/text_fields.h"
#include "core/track_destination.h"

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

const InputFormatRow& InputOf(const Conversion& c) { return InputRow(c.inputPosition); }
const OutputFormatRow& OutputOf(const Conversion& c) { return OutputRow(c.outputPosition); }

// The files the writers (and the readers that write) will create.
std::vector<std::string> OutputFilesOf(const Conversion& c)
{
    std::vector<std::string> files = {ChangeFileExt(c.outputName, OutputOf(c).extension)};
    if (const char* beside = OutputOf(c).besideExtension) files.push_back(ChangeFileExt(c.outputName, beside));
    if (const auto own = InputOf(c).ownOutputs) own(c, files);
    return files;
}

bool OutputIsAnInput(const Conversion& c)
{
    std::vector<std::string> inputs = c.inputList;
    inputs.push_back(c.inputName);
    for (const std::string& output : OutputFilesOf(c))
        for (const std::string& input : inputs)
            if (!input.empty() && SameFileOnDisk(output, input)) return true;
    return false;
}

// The six checks, in order; false (after its message box) when one fails.
bool CheckChoices(FrontEnd& f, Conversion& c)
{
    c.inputName = StripQuotes(f.InputFileText());
    c.outputName = StripQuotes(f.OutputFileText());
    const std::vector<std::string> chosen = f.ChosenInputFiles();
    if (chosen.empty()) {
        if (IsBlank(c.inputName)) {
            f.ShowMessage("Input File not specified");
            return false;
        }
        c.inputList = {c.inputName};
    } else {
        for (const std::string& name : chosen) c.inputList.push_back(StripQuotes(name));
    }
    if (IsBlank(c.outputName)) {
        f.ShowMessage("Output File not specified");
        return false;
    }
    c.inputPosition = f.InputPosition();
    c.outputPosition = f.OutputPosition();
    c.exactNames = f.ExactOutputNames();
    if (!IsInputPosition(c.inputPosition)) {
        f.ShowMessage("Input File Format not Selected");
        return false;
    }
    if (!IsOutputPosition(c.outputPosition)) {
        f.ShowMessage("Output File Format not Selected");
        return false;
    }
    if (SameFormat(c.inputPosition, c.outputPosition)) {
        f.ShowMessage("Input and Output Formats cannot be the same");
        return false;
    }
    if (!FormatsCompatible(c.inputPosition, c.outputPosition)) {
        f.ShowMessage("Input and Output file format types are not the same");
        return false;
    }
    const std::string& outputKind = OutputFormats[c.outputPosition].Kind;
    c.mode = outputKind == kEverythingKind                ? ReadMode::Everything
             : InputFormats[c.inputPosition].Kind == "wp" ? ReadMode::Waypoints
                                                          : ReadMode::Tracks;
    if (OutputIsAnInput(c)) {
        f.ShowMessage("Output File cannot be the same as the Input File");
        return false;
    }
    return true;
}

// Runs the reader of the input position, its tracks going where the output wants them.
void Read(FrontEnd& f, const Conversion& c)
{
    f.AddLine(InputOf(c).loading);
    if (ReadsEveryChosenFile(c.inputPosition, c.outputPosition)) {
        const int limit = OutputOf(c).chosenFilesListed;
        const std::size_t listed = limit > 0 ? static_cast<std::size_t>(limit) : c.inputList.size();
        for (std::size_t i = 0; i < c.inputList.size() && i < listed; ++i) f.AddLine(c.inputList[i]);
    } else {
        f.AddLine(c.inputName);
    }
    // Files chosen together are read by the writer, one after the other.
    if (ReadsEveryChosenFile(c.inputPosition, c.outputPosition)) return;
    const ScopedTrackDestination tracksTo(c.tracks);
    InputOf(c).read(c);
}

// Writes the output of the conversion. Nothing is written over any file when
// the reader refused its input: an earlier output is worth more than an empty one.
void Write(FrontEnd& f, const Conversion& c)
{
    if (ReadFailed) {
        f.AddLine("Unable to Open File");
        return;
    }
    // What is written now is the output; the track files a reader wrote are
    // the output only when no writer follows them.
    const OutputFormatRow& row = OutputOf(c);
    const bool tracksWritten = row.writesTracksAsHandedOver && HandsOverTracks(c);
    if (!tracksWritten) ForgetWritten();
    const std::string file = row.file(c);
    f.AddLine(row.writing);
    f.AddLine(file);
    if (ReadsEveryChosenFile(c.inputPosition, c.outputPosition)) row.writeChosenFiles(c, file);
    else if (!tracksWritten) row.write(c, file);
}

// The line of what was written, then each limit that cut the input, once.
void Report(FrontEnd& f, const Conversion& c, bool existingKept)
{
    if (existingKept) {
        f.AddLine("Written: nothing - the existing files were kept");
        return;
    }
    const std::string& kind = OutputFormats[c.outputPosition].Kind;
    const WrittenKind written = kind == "wp"    ? WrittenKind::Waypoints
                                : kind == "trk" ? WrittenKind::Tracks
                                                : WrittenKind::Everything;
    f.AddLine(ReadFailed ? NothingWrittenLine() : WrittenLine(written));
    for (const std::string& message : CutMessages()) f.ShowLimitMessage(message);
}
}  // namespace

bool HandsOverTracks(const Conversion& c)
{
    const InputFormatRow& row = InputRow(c.inputPosition);
    return row.handsOverTracks || (c.mode == ReadMode::Everything && row.readsEverything);
}

bool ReadsEveryChosenFile(int inputPosition, int outputPosition)
{
    return IsInputPosition(inputPosition) && IsOutputPosition(outputPosition) &&
           InputRow(inputPosition).chosenTogether && OutputRow(outputPosition).writeChosenFiles != nullptr;
}

// A pipe the format check looked at and the reader never took (a refused
// conversion, a failed read) is let go with its conversion.
class ReleasedAtEnd {
public:
    explicit ReleasedAtEnd(const Conversion& c) : c_(c) {}
    ~ReleasedAtEnd()
    {
        InputFile::Release(c_.inputName);
        for (const std::string& name : c_.inputList) InputFile::Release(name);
    }
    ReleasedAtEnd(const ReleasedAtEnd&) = delete;
    ReleasedAtEnd& operator=(const ReleasedAtEnd&) = delete;

private:
    const Conversion& c_;
};

void Convert(FrontEnd& frontEnd)
{
    // A view reading in the background is stopped before a conversion starts; this waits for it to let go.
    const std::lock_guard storeHeld(StoreMutex());
    ScopedFrontEnd reportTo(frontEnd);
    Conversion conversion;
    if (!CheckChoices(frontEnd, conversion)) return;

    // Every file the conversion writes is put in place at its end, or none is;
    // names derived while writing (track files) are checked against the inputs.
    const ReleasedAtEnd released(conversion);
    OutputTransaction outputs;
    outputs.ProtectInputs(conversion.inputList);
    outputs.ProtectInputs({conversion.inputName});
    if (frontEnd.KeepsExistingFiles()) outputs.NeverReplace();
    outputs.OnPlaced([&frontEnd](const std::string& name) { frontEnd.OutputWritten(name); });
    const ScopedExactNames names(conversion.exactNames);
    const ScopedTemporaryFallback spoolBesideTheOutput(conversion.outputName);
    ReadFailed = false;
    TrackFilesWritten.clear();
    StartConversionRecord();
    // Nothing of an earlier conversion may be written beside or into a later
    // output: a reader resets only the tables it fills.
    ClearWaypoints();
    ClearTracks();
    ClearRoutes();
    ClearDocumentInfo();
    {
        BusyCursor busy(frontEnd);
        frontEnd.ClearLines();
        frontEnd.ProcessMessages();

        std::unique_ptr<TrackDestination> tracks;
        if (const auto make = OutputOf(conversion).tracks) tracks = make(conversion);
        conversion.tracks = tracks.get();
        Read(frontEnd, conversion);
        if (!ReadFailed) {
            frontEnd.AddLine("");
            frontEnd.AddLine("processing .....");
            frontEnd.AddLine("");
        }
        Write(frontEnd, conversion);
        // Named exactly, the one track file of an input of one track is the output itself.
        if (conversion.exactNames && TrackFilesWritten.size() == 1)
            outputs.Rename(TrackFilesWritten.FirstNames().front(), conversion.outputName);
        // Asked once, naming every file, track files included, before any is replaced.
        bool existingKept = false;
        if (!ReadFailed) {
            const std::vector<std::string> inUse = outputs.NamesInUse();
            existingKept = !inUse.empty() && !frontEnd.ConfirmReplacing(inUse);
            if (!existingKept) outputs.Commit();
        }
        Report(frontEnd, conversion, existingKept);
    }
    frontEnd.AddLine("");
    frontEnd.AddLine("Done .....");
}
