#include "core/convert.h"

#include "core/catalogue.h"
#include "core/conversion_record.h"
#include "core/file_names.h"
#include "core/file_io.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "formats/holux/Holux.h"
#include "formats/import/Magellan.h"
#include "formats/import/Mapsend.h"
#include "formats/import/MapsourceFile.h"
#include "formats/import/Nobletec.h"
#include "formats/import/nmea.h"
#include "formats/import/tomtom.h"
#include "formats/native/Kes.h"

bool ReadFailed = false;
std::vector<std::string> TrackFilesWritten;

namespace {
constexpr int kKesWaypoint = 0, kKesTrack = 1, kHoluxWaypoint = 2, kHoluxTrack = 3;
constexpr int kMapsourceWaypoints = 11, kMapsourceTracks = 12, kTomTom = 13;

class BusyCursor {
public:
    explicit BusyCursor(FrontEnd& frontEnd) : frontEnd_(frontEnd) { frontEnd_.SetBusyCursor(true); }
    ~BusyCursor() { frontEnd_.SetBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    FrontEnd& frontEnd_;
};

struct Choices {
    std::string inputName;
    std::string outputName;
    std::vector<std::string> inputList;
    int inputPosition = -1;
    int outputPosition = -1;
};

// The files the writers (and the readers that write) will create.
std::vector<std::string> OutputFilesOf(const Choices& c)
{
    std::vector<std::string> files;
    switch (c.outputPosition) {
    case kKesWaypoint:
        files = {ChangeFileExt(c.outputName, ".wpt"), ChangeFileExt(c.outputName, ".rte")};
        break;
    case kKesTrack: files = {ChangeFileExt(c.outputName, ".plt")}; break;
    case kHoluxWaypoint: files = {ChangeFileExt(c.outputName, ".wrt")}; break;
    case kHoluxTrack: files = {ChangeFileExt(c.outputName, ".tlg")}; break;
    }
    if (c.inputPosition == kTomTom) files.push_back(ChangeFileExt(c.outputName, ".wpt"));
    if (c.inputPosition == kHoluxTrack)
        for (int slot = 1; slot <= 5; ++slot) files.push_back(TrackFileName(c.outputName, slot));
    return files;
}

bool OutputIsAnInput(const Choices& c)
{
    std::vector<std::string> inputs = c.inputList;
    inputs.push_back(c.inputName);
    for (const std::string& output : OutputFilesOf(c))
        for (const std::string& input : inputs)
            if (!input.empty() && SameFileOnDisk(output, input)) return true;
    return false;
}

// The six checks, in order; false (after its message box) when one fails.
bool CheckChoices(FrontEnd& f, Choices& c)
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
    if (c.inputPosition == c.outputPosition) {
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

// Runs the reader of the input position; true when it wrote the track files itself.
bool Read(FrontEnd& f, const Choices& c)
{
    auto load = [&](const char* caption) {
        f.AddLine(caption);
        f.AddLine(c.inputName);
    };
    switch (c.inputPosition) {
    case 0: load("Loading Kes Waypoint file"); ReadWaypointFile(c.inputName); break;
    case 1:
        f.AddLine("Loading Kes Track file(s)");
        if (ReadsEveryChosenFile(c.inputPosition, c.outputPosition)) {
            for (std::size_t i = 0; i < c.inputList.size() && i < 5; ++i) f.AddLine(c.inputList[i]);
        } else {
            f.AddLine(c.inputName);
            ReadTrackFile(c.inputName);
        }
        break;
    case 2: load("Loading Holux Waypoint file"); ReadHoluxWaypointFile(c.inputName); break;
    case 3: load("Loading Holux Track file"); ReadHoluxTrackFile(c.inputName, c.outputName); return true;
    case 4: load("Loading Mapsend Waypoint file"); ReadMapsendWaypointFile(c.inputName); break;
    case 5: load("Loading Mapsend Track file"); ReadMapsendTrackFile(c.inputName); break;
    case 6: load("Loading Nobletec Export File"); ReadNobletecWaypoints(c.inputName); break;
    case 7: load("Loading Nobletec Export File"); ReadNobletecTracks(c.inputName); break;
    case 8: load("Loading NMEA Log File"); ReadNmeaLogFile(c.inputName); break;
    case 9: load("Loading Magellan GPS Waypoint file"); ReadMagellanWaypointFile(c.inputName); break;
    case 10: load("Loading Magellan GPS Track file"); ReadMagellanTrackFile(c.inputName); break;
    case kMapsourceWaypoints: load("Loading Mapsource Waypoints"); ReadMapsourceFile(c.inputName, c.outputName); break;
    case kMapsourceTracks: load("Loading Mapsource Tracks"); ReadMapsourceFile(c.inputName, c.outputName); return true;
    case kTomTom: load("Loading TomTom Waypoints"); ReadTomTomFile(c.inputName, c.outputName); break;
    }
    return false;
}

// A .tlg holds the tracks the reader delivered: the native files chosen, the
// files a MapSource reader wrote, or else the one track in the store.
void WriteHoluxTrack(const Choices& c)
{
    if (c.inputPosition == kKesTrack) WriteHoluxTrackFile(c.inputList, c.outputName);
    else if (c.inputPosition == kMapsourceTracks) WriteHoluxTrackFile(TrackFilesWritten, c.outputName);
    else WriteHoluxTrackFileFromStore(c.outputName);
}

// Writes the output of the conversion. Nothing is written over any file when
// the reader refused its input: an earlier output is worth more than an empty one.
void Write(FrontEnd& f, const Choices& c, bool tracksAlreadyWritten)
{
    if (ReadFailed) {
        f.AddLine("Unable to Open File");
        return;
    }
    // What is written now is the output; the track files a reader wrote are
    // the output only when no writer follows them.
    if (!(c.outputPosition == kKesTrack && tracksAlreadyWritten)) ForgetWritten();
    switch (c.outputPosition) {
    case kKesWaypoint:
        f.AddLine("Writing Kes Waypoint file");
        f.AddLine(ChangeFileExt(c.outputName, ".wpt"));
        WriteWaypointFile(ChangeFileExt(c.outputName, ".wpt"));
        if (RouteCount > 0) {
            f.AddLine("Writing Kes Route file");
            f.AddLine(ChangeFileExt(c.outputName, ".rte"));
            WriteRouteFile(ChangeFileExt(c.outputName, ".rte"));
        }
        break;
    case kKesTrack:
        f.AddLine("Writing Kes Track file(s)");
        if (tracksAlreadyWritten) {
            f.AddLine(c.outputName);
        } else {
            f.AddLine(ChangeFileExt(c.outputName, ".plt"));
            WriteTrackFile(ChangeFileExt(c.outputName, ".plt"));
        }
        break;
    case kHoluxWaypoint:
        f.AddLine("Writing Holux Waypoint file");
        f.AddLine(c.outputName);
        WriteHoluxWaypointFile(c.outputName);
        break;
    case kHoluxTrack:
        f.AddLine("Writing Holux Track file");
        f.AddLine(c.outputName);
        WriteHoluxTrack(c);
        break;
    }
}

// The line of what was written, then each limit that cut the input, once.
void Report(FrontEnd& f, const Choices& c)
{
    const bool waypoints = c.outputPosition == kKesWaypoint || c.outputPosition == kHoluxWaypoint;
    f.AddLine(ReadFailed ? NothingWrittenLine() : WrittenLine(waypoints));
    for (const std::string& message : CutMessages()) f.ShowLimitMessage(message);
}
}  // namespace

bool ReadsEveryChosenFile(int inputPosition, int outputPosition)
{
    return inputPosition == kKesTrack && outputPosition == kHoluxTrack;
}

void Convert(FrontEnd& frontEnd)
{
    ScopedFrontEnd reportTo(frontEnd);
    Choices choices;
    if (!CheckChoices(frontEnd, choices)) return;

    ReadFailed = false;
    TrackFilesWritten.clear();
    StartConversionRecord();
    // Routes of an earlier conversion must never be written beside a later output.
    ClearRoutes();
    {
        BusyCursor busy(frontEnd);
        frontEnd.ClearLines();
        frontEnd.ProcessMessages();

        const bool tracksAlreadyWritten = Read(frontEnd, choices);
        if (!ReadFailed) {
            frontEnd.AddLine("");
            frontEnd.AddLine("processing .....");
            frontEnd.AddLine("");
        }
        Write(frontEnd, choices, tracksAlreadyWritten);
        Report(frontEnd, choices);
    }
    frontEnd.AddLine("");
    frontEnd.AddLine("Done .....");
}
