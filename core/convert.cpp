// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/convert.h"

#include <memory>

#include "core/catalogue.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/file_names.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "core/track_destination.h"
#include "formats/gpx/Gpx.h"
#include "formats/holux/Holux.h"
#include "formats/import/Magellan.h"
#include "formats/import/Mapsend.h"
#include "formats/import/MapsourceFile.h"
#include "formats/import/Nobletec.h"
#include "formats/import/nmea.h"
#include "formats/import/tomtom.h"
#include "formats/native/Kes.h"

namespace {
// Input positions the action treats apart.
constexpr int kKesTrackInput = 1, kHoluxTrackInput = 3, kTomTomInput = 13;
// Output positions.
constexpr int kKesWaypointOutput = 0, kKesTrackOutput = 1, kHoluxTrackOutput = 3, kGpxTrackOutput = 5;

class BusyCursor {
public:
    explicit BusyCursor(FrontEnd& frontEnd) : frontEnd_(frontEnd) { frontEnd_.SetBusyCursor(true); }
    ~BusyCursor() { frontEnd_.SetBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    FrontEnd& frontEnd_;
};

struct Conversion {
    std::string inputName;
    std::string outputName;
    std::vector<std::string> inputList;
    int inputPosition = -1;
    int outputPosition = -1;
    // What takes the tracks a reader of several hands over, for a track output.
    std::unique_ptr<TrackDestination> tracks;
};

// One row per input format: the first progress line, the reader, what its
// day counts are, and whether it hands each track over as it goes rather
// than leaving one track in the store.
struct InputRow {
    const char* loading;
    void (*read)(const Conversion&);
    StoreTimes times = StoreTimes::Utc;
    bool handsOverTracks = false;
};

void ReadKesTracks(const Conversion& c)
{
    // Files chosen together are read by the writer, one after the other.
    if (!ReadsEveryChosenFile(c.inputPosition, c.outputPosition)) ReadTrackFile(c.inputName);
}

// The reader writes its own native waypoint file; when that file is the
// output itself, the writing step makes it, once.
void ReadTomTom(const Conversion& c)
{
    const bool outputIsItsFile = c.outputPosition == kKesWaypointOutput;
    ReadTomTomFile(c.inputName, outputIsItsFile ? std::string() : c.outputName);
}

void ReadGpxTracks(const Conversion& c)
{
    ReadGpxTrackFile(c.inputName, [&](int n) { HandOverTrack(c.outputName, n); });
}

// The readers of formats without times stamp every point with the time of
// reading, which a GPX file does not take for the points' own.
const InputRow kInputRows[kInputFormatCount] = {
    {"Loading Kes Waypoint file", [](const Conversion& c) { ReadWaypointFile(c.inputName); }},
    {"Loading Kes Track file(s)", ReadKesTracks},
    {"Loading Holux Waypoint file", [](const Conversion& c) { ReadHoluxWaypointFile(c.inputName); }},
    {"Loading Holux Track file", [](const Conversion& c) { ReadHoluxTrackFile(c.inputName, c.outputName); },
     StoreTimes::TimeOfReading, true},
    {"Loading Mapsend Waypoint file", [](const Conversion& c) { ReadMapsendWaypointFile(c.inputName); },
     StoreTimes::TimeOfReading},
    {"Loading Mapsend Track file", [](const Conversion& c) { ReadMapsendTrackFile(c.inputName); }},
    {"Loading Nobletec Export File", [](const Conversion& c) { ReadNobletecWaypoints(c.inputName); },
     StoreTimes::TimeOfReading},
    {"Loading Nobletec Export File", [](const Conversion& c) { ReadNobletecTracks(c.inputName); },
     StoreTimes::TimeOfReading},
    {"Loading NMEA Log File", [](const Conversion& c) { ReadNmeaLogFile(c.inputName); }},
    {"Loading Magellan GPS Waypoint file", [](const Conversion& c) { ReadMagellanWaypointFile(c.inputName); },
     StoreTimes::TimeOfReading},
    {"Loading Magellan GPS Track file", [](const Conversion& c) { ReadMagellanTrackFile(c.inputName); }},
    {"Loading Mapsource Waypoints", [](const Conversion& c) { ReadMapsourceFile(c.inputName, c.outputName); }},
    {"Loading Mapsource Tracks", [](const Conversion& c) { ReadMapsourceFile(c.inputName, c.outputName); },
     StoreTimes::Utc, true},
    {"Loading TomTom Waypoints", ReadTomTom},
    {"Loading GPX Waypoints", [](const Conversion& c) { ReadGpxWaypointFile(c.inputName); }},
    {"Loading GPX Tracks", ReadGpxTracks, StoreTimes::Utc, true},
};

const InputRow& InputOf(const Conversion& c) { return kInputRows[c.inputPosition]; }

// Static casts below are safe: each output row makes its own destination.
template <typename Destination>
Destination& TracksOf(const Conversion& c)
{
    return static_cast<Destination&>(*c.tracks);
}

void WriteKesWaypoints(const Conversion& c, const std::string& file)
{
    WriteWaypointFile(file);
    if (RouteCount > 0) {
        const std::string routes = ChangeFileExt(c.outputName, ".rte");
        Front().AddLine("Writing Kes Route file");
        Front().AddLine(routes);
        WriteRouteFile(routes);
    }
}

void WriteKesTrack(const Conversion& c, const std::string& file)
{
    if (!InputOf(c).handsOverTracks) WriteTrackFile(file);
}

void WriteHoluxTrack(const Conversion& c, const std::string& file)
{
    if (ReadsEveryChosenFile(c.inputPosition, c.outputPosition)) {
        WriteHoluxTrackFile(c.inputList, file);
        return;
    }
    auto& image = TracksOf<HoluxTrackImage>(c);
    if (!InputOf(c).handsOverTracks) image.TakeStoreTrack(1);
    image.Save(file);
}

void WriteGpxTracks(const Conversion& c, const std::string&)
{
    auto& gpx = TracksOf<GpxTrackWriter>(c);
    if (ReadsEveryChosenFile(c.inputPosition, c.outputPosition)) {
        for (const std::string& name : c.inputList) {
            ReadTrackFile(name);
            gpx.AddStoreTrack();
        }
    } else if (!InputOf(c).handsOverTracks) {
        gpx.AddStoreTrack();
    }
    gpx.Commit();
}

std::string AsTyped(const Conversion& c) { return c.outputName; }
std::string WptFile(const Conversion& c) { return ChangeFileExt(c.outputName, ".wpt"); }
std::string GpxFile(const Conversion& c) { return ChangeFileExt(c.outputName, ".gpx"); }
// Tracks handed over are already written, one file each: the pane names the output as typed.
std::string PltFile(const Conversion& c)
{
    return InputOf(c).handsOverTracks ? c.outputName : ChangeFileExt(c.outputName, ".plt");
}

// One row per output format: the progress line, the name shown below it and
// given to the writer, the writer, the extension of the file it makes, and,
// for track outputs, what takes the tracks of an input of several.
struct OutputRow {
    const char* writing;
    std::string (*file)(const Conversion&);
    void (*write)(const Conversion&, const std::string& file);
    const char* extension;
    std::unique_ptr<TrackDestination> (*tracks)(const Conversion&) = nullptr;
};

const OutputRow kOutputRows[kOutputFormatCount] = {
    {"Writing Kes Waypoint file", WptFile, WriteKesWaypoints, ".wpt"},
    {"Writing Kes Track file(s)", PltFile, WriteKesTrack, ".plt",
     [](const Conversion& c) -> std::unique_ptr<TrackDestination> {
         return std::make_unique<KesTrackFiles>(c.outputName);
     }},
    {"Writing Holux Waypoint file", AsTyped,
     [](const Conversion&, const std::string& file) { WriteHoluxWaypointFile(file); }, ".wrt"},
    {"Writing Holux Track file", AsTyped, WriteHoluxTrack, ".tlg",
     [](const Conversion&) -> std::unique_ptr<TrackDestination> { return std::make_unique<HoluxTrackImage>(); }},
    {"Writing GPX Waypoint file", GpxFile,
     [](const Conversion& c, const std::string& file) { WriteGpxWaypointFile(file, InputOf(c).times); }, ".gpx"},
    {"Writing GPX Track file", GpxFile, WriteGpxTracks, ".gpx",
     [](const Conversion& c) -> std::unique_ptr<TrackDestination> {
         return std::make_unique<GpxTrackWriter>(GpxFile(c), InputOf(c).times);
     }},
};

const OutputRow& OutputOf(const Conversion& c) { return kOutputRows[c.outputPosition]; }

// The files the writers (and the readers that write) will create.
std::vector<std::string> OutputFilesOf(const Conversion& c)
{
    std::vector<std::string> files = {ChangeFileExt(c.outputName, OutputOf(c).extension)};
    if (c.outputPosition == kKesWaypointOutput) files.push_back(ChangeFileExt(c.outputName, ".rte"));
    if (c.inputPosition == kTomTomInput) files.push_back(ChangeFileExt(c.outputName, ".wpt"));
    if (c.inputPosition == kHoluxTrackInput && c.outputPosition == kKesTrackOutput)
        for (int slot = 1; slot <= 5; ++slot) files.push_back(TrackFileName(c.outputName, slot));
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
    if (c.inputPosition < 0 || c.inputPosition >= kInputFormatCount) {
        f.ShowMessage("Input File Format not Selected");
        return false;
    }
    if (c.outputPosition < 0 || c.outputPosition >= kOutputFormatCount) {
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
        // The Holux image stores five tracks; the pane lists the files it takes.
        const std::size_t listed = c.outputPosition == kHoluxTrackOutput ? 5 : c.inputList.size();
        for (std::size_t i = 0; i < c.inputList.size() && i < listed; ++i) f.AddLine(c.inputList[i]);
    } else {
        f.AddLine(c.inputName);
    }
    const ScopedTrackDestination tracksTo(c.tracks.get());
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
    if (!(c.outputPosition == kKesTrackOutput && InputOf(c).handsOverTracks)) ForgetWritten();
    const OutputRow& row = OutputOf(c);
    const std::string file = row.file(c);
    f.AddLine(row.writing);
    f.AddLine(file);
    row.write(c, file);
}

// The line of what was written, then each limit that cut the input, once.
void Report(FrontEnd& f, const Conversion& c)
{
    const bool waypoints = OutputFormats[c.outputPosition].Kind == "wp";
    f.AddLine(ReadFailed ? NothingWrittenLine() : WrittenLine(waypoints));
    for (const std::string& message : CutMessages()) f.ShowLimitMessage(message);
}
}  // namespace

bool ReadsEveryChosenFile(int inputPosition, int outputPosition)
{
    return inputPosition == kKesTrackInput &&
           (outputPosition == kHoluxTrackOutput || outputPosition == kGpxTrackOutput);
}

void Convert(FrontEnd& frontEnd)
{
    ScopedFrontEnd reportTo(frontEnd);
    Conversion conversion;
    if (!CheckChoices(frontEnd, conversion)) return;

    ReadFailed = false;
    TrackFilesWritten.clear();
    StartConversionRecord();
    // Routes of an earlier conversion must never be written beside a later output.
    ClearRoutes();
    {
        BusyCursor busy(frontEnd);
        frontEnd.ClearLines();
        frontEnd.ProcessMessages();

        if (const auto make = OutputOf(conversion).tracks) conversion.tracks = make(conversion);
        Read(frontEnd, conversion);
        if (!ReadFailed) {
            frontEnd.AddLine("");
            frontEnd.AddLine("processing .....");
            frontEnd.AddLine("");
        }
        Write(frontEnd, conversion);
        Report(frontEnd, conversion);
    }
    frontEnd.AddLine("");
    frontEnd.AddLine("Done .....");
}
