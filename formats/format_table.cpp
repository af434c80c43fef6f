// SPDX-License-Identifier: GPL-3.0-or-later
// The table of formats: everything the Convert action, the window and the
// command know of a format is in its row here. The checks at the end make a
// row that lacks a part a compile error.
#include "formats/format_table.h"

#include <string_view>
#include <sys/stat.h>

#include "core/catalogue.h"
#include "core/convert.h"
#include "core/file_names.h"
#include "core/format_lookup.h"
#include "core/frontend.h"
#include "core/output_target.h"
#include "formats/csv/Csv.h"
#include "formats/geojson/GeoJson.h"
#include "formats/gpx/Gpx.h"
#include "formats/holux/Holux.h"
#include "formats/import/Magellan.h"
#include "formats/import/Mapsend.h"
#include "formats/import/MapsourceFile.h"
#include "formats/import/Nobletec.h"
#include "formats/import/nmea.h"
#include "formats/import/tomtom.h"
#include "formats/kml/Kml.h"
#include "formats/native/Kes.h"

namespace {
using namespace std::string_view_literals;

bool PathExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The texts of the formats that are both read and written.
constexpr FormatTexts kKesWaypointTexts{"kes-wpt", "Kestrelmaps Waypoint (.wpt)",  "wp",
                                        "wpt",     "Kestrelmaps Waypoint (*.wpt)", "*.wpt"};
constexpr FormatTexts kKesTrackTexts{"kes-plt", "Kestrelmaps Track (.plt)",  "trk",
                                     "plt",     "Kestrelmaps Track (*.plt)", "*.plt"};
constexpr FormatTexts kHoluxWaypointTexts{"holux-wrt", "Holux Waypoint (.wrt)",  "wp",
                                          "wrt",       "Holux Waypoint (*.wrt)", "*.wrt"};
constexpr FormatTexts kHoluxTrackTexts{"holux-tlg", "Holux Track (.tlg)", "trk", "tlg", "Holux Track (*.tlg)", "*.tlg"};
constexpr FormatTexts kGpxWaypointTexts{"gpx-wpt", "GPX Waypoints/Routes (.gpx)", "wp",
                                        "gpx",     "GPX Waypoint (*.gpx)",        "*.gpx"};

// Signatures. A MapSend file starts with a counted text of 13 characters,
// "4D5333" and then its version digits; its kind (1 waypoints, 2 tracks) is
// the int32 at 14. "MsRcd" starts a .mps file, "MsRcf" a .gdb file.
bool IsMapsendFile(const FileLook& f)
{
    return f.StartsWith("\x0D"
                        "4D5333"sv);
}
bool IsGpxFile(const FileLook& f) { return f.HeadHolds("<gpx"); }
bool IsMapsourceFile(const FileLook& f) { return f.StartsWith("MsRc"); }
// A Nobletec export is text whose lines of interest start with their
// keyword: a mark ("Type = Mark") or a track ("NumberOfTrackMarks").
bool IsNobletecFile(const FileLook& f)
{
    const std::string_view head = f.Head();
    for (const std::string_view keyword : {"Type = Mark"sv, "NumberOfTrackMarks"sv})
        for (std::size_t at = head.find(keyword); at != std::string_view::npos; at = head.find(keyword, at + 1))
            if (at == 0 || head[at - 1] == '\n') return true;
    return false;
}

// The reader writes its own native waypoint file beside the output; when
// that file is the output itself, the writing step makes it, once. It is
// never made where nobody asked for it (an output named exactly) nor over a
// file that is there already.
void ReadTomTom(const Conversion& c)
{
    const bool outputIsItsFile = c.outputPosition == Position(Output::KesWaypoint);
    const bool wanted = !outputIsItsFile && !c.exactNames && !PathExists(ChangeFileExt(c.outputName, ".wpt"));
    ReadTomTomFile(c.inputName, wanted ? c.outputName : std::string());
}

void TomTomOutputs(const Conversion& c, std::vector<std::string>& files)
{
    files.push_back(ChangeFileExt(c.outputName, ".wpt"));
}

void HoluxTrackOutputs(const Conversion& c, std::vector<std::string>& files)
{
    if (c.outputPosition != Position(Output::KesTrack)) return;
    for (int slot = 1; slot <= 5; ++slot) files.push_back(TrackFileName(c.outputName, slot));
}

void ReadGpx(const Conversion& c)
{
    ReadGpxFile(c.inputName, c.mode, [&](int n) { HandOverTrack(c.outputName, n); });
}

StoreTimes TimesOf(const Conversion& c) { return InputRow(c.inputPosition).times; }

// The outputs that write no time for a point without one; the native ones need a day count.
bool LeavesTimesOut(const Conversion& c)
{
    return c.outputPosition == Position(Output::GpxTrack) || c.outputPosition == Position(Output::Gpx);
}

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
        // The routes go into a file beside the waypoints, which a device or a pipe has not.
        if (ResolveOutput(file).kind != OutputTarget::Kind::File)
            throw FileError(file, "The routes go into a route file beside the waypoint file, and this output has "
                                  "no place beside it for one");
        const std::string routes = ChangeFileExt(c.outputName, ".rte");
        Front().AddLine("Writing Kes Route file");
        Front().AddLine(routes);
        WriteRouteFile(routes);
    }
}

void WriteHoluxTrack(const Conversion& c, const std::string& file)
{
    auto& image = TracksOf<HoluxTrackImage>(c);
    if (!HandsOverTracks(c)) image.TakeStoreTrack(1);
    image.Save(file);
}

// A document takes the track a reader of one track leaves in the store.
void FinishDocument(const Conversion& c, const std::string&)
{
    const bool storeTrack = !HandsOverTracks(c) && InputFormats[c.inputPosition].Kind == "trk";
    TracksOf<DocumentWriter>(c).Finish(storeTrack);
}

void WriteChosenTracksToDocument(const Conversion& c, const std::string&)
{
    auto& document = TracksOf<DocumentWriter>(c);
    int n = 0;
    for (const std::string& name : c.inputList) {
        ReadTrackFile(name);
        document.TakeStoreTrack(++n);
    }
    document.Finish();
}

std::string AsTyped(const Conversion& c) { return c.outputName; }
std::string WptFile(const Conversion& c) { return WriterFileName(c.outputName, ".wpt"); }
std::string GpxFile(const Conversion& c) { return WriterFileName(c.outputName, ".gpx"); }
std::string KmlFile(const Conversion& c) { return WriterFileName(c.outputName, ".kml"); }
std::string GeoJsonFile(const Conversion& c) { return WriterFileName(c.outputName, ".geojson"); }
std::string CsvFile(const Conversion& c) { return WriterFileName(c.outputName, ".csv"); }

// The row of an output that takes everything into one document of its own.
template <typename Document, std::string (*File)(const Conversion&)>
std::unique_ptr<TrackDestination> MakeDocument(const Conversion& c)
{
    return std::make_unique<Document>(File(c), TimesOf(c));
}
// Tracks handed over are already written, one file each: the pane names the output as typed.
std::string PltFile(const Conversion& c)
{
    return HandsOverTracks(c) ? c.outputName : WriterFileName(c.outputName, ".plt");
}

constexpr InputFormatRow kInputRows[] = {
    {.position = Position(Input::KesWaypoint),
     .texts = kKesWaypointTexts,
     .recognise = [](const FileLook& f) { return f.StartsWith("Kestrelmaps Waypoint File"); },
     .loading = "Loading Kes Waypoint file",
     .read = [](const Conversion& c) { ReadWaypointFile(c.inputName); }},
    {.position = Position(Input::KesTrack),
     .texts = kKesTrackTexts,
     .recognise = [](const FileLook& f) { return f.StartsWith("Kestrelmaps Track Point File"); },
     .loading = "Loading Kes Track file(s)",
     .read = [](const Conversion& c) { ReadTrackFile(c.inputName); },
     .chosenTogether = true},
    {.position = Position(Input::HoluxWaypoint),
     .texts = kHoluxWaypointTexts,
     .recognise = [](const FileLook& f) { return f.StartsWith("\x00\xA6\x38\x5C"sv); },
     .loading = "Loading Holux Waypoint file",
     .read = [](const Conversion& c) { ReadHoluxWaypointFile(c.inputName); }},
    {.position = Position(Input::HoluxTrack),
     .texts = kHoluxTrackTexts,
     .recognise = [](const FileLook& f) { return f.HoldsAt(131072, "\x00\x12\xCB\x38"sv); },
     .loading = "Loading Holux Track file",
     .read = [](const Conversion& c) { ReadHoluxTrackFile(c.inputName, c.outputName); },
     .times = StoreTimes::TimeOfReading,
     .handsOverTracks = true,
     .ownOutputs = HoluxTrackOutputs},
    {.position = Position(Input::MapsendWaypoint),
     .texts = {"mapsend-wpt", "Mapsend Waypoint (.wpt)", "wp", "wpt", "Mapsend Waypoint (*.wpt)", "*.wpt"},
     .recognise = [](const FileLook& f) { return IsMapsendFile(f) && f.HoldsAt(14, "\x01\x00\x00\x00"sv); },
     .loading = "Loading Mapsend Waypoint file",
     .read = [](const Conversion& c) { ReadMapsendWaypointFile(c.inputName); },
     .times = StoreTimes::TimeOfReading},
    {.position = Position(Input::MapsendTrack),
     .texts = {"mapsend-trk", "Mapsend Track (.trk)", "trk", "trk", "Mapsend Track (*.trk)", "*.trk"},
     .recognise = [](const FileLook& f) { return IsMapsendFile(f) && f.HoldsAt(14, "\x02\x00\x00\x00"sv); },
     .loading = "Loading Mapsend Track file",
     .read = [](const Conversion& c) { ReadMapsendTrackFile(c.inputName); }},
    {.position = Position(Input::NobletecWaypoints),
     .texts = {"nobletec-wpt", "Nobletec Export File - Waypoints (.txt)", "wp", "txt", "Nobletec Waypoint (*.txt)",
               "*.txt"},
     .recognise = IsNobletecFile,
     .loading = "Loading Nobletec Export File",
     .read = [](const Conversion& c) { ReadNobletecWaypoints(c.inputName); },
     .times = StoreTimes::TimeOfReading},
    {.position = Position(Input::NobletecTracks),
     .texts = {"nobletec-trk", "Nobletec Export File - Tracks (.txt)", "trk", "txt", "Nobletec Track (*.txt)", "*.txt"},
     .recognise = IsNobletecFile,
     .loading = "Loading Nobletec Export File",
     .read = [](const Conversion& c) { ReadNobletecTracks(c.inputName); },
     .times = StoreTimes::TimeOfReading},
    {.position = Position(Input::Nmea),
     .texts = {"nmea", "NMEA Log of GPRMC Sentences", "trk", "nmea;log", "NMEA Log (*.*)", "*.*"},
     .recognise = [](const FileLook& f) { return HoldsNmeaFix(f.Head()); },
     .loading = "Loading NMEA Log File",
     .read = [](const Conversion& c) { ReadNmeaLogFile(c.inputName, LeavesTimesOut(c)); }},
    {.position = Position(Input::MagellanWaypoint),
     .texts = {"magellan-wpt", "Magellan GPS Waypoint", "wp", "", "Magellan GPS Waypoint (*.*)", "*.*"},
     .recognise = [](const FileLook& f) { return f.HeadHolds("$PMGNWPL,"); },
     .loading = "Loading Magellan GPS Waypoint file",
     .read = [](const Conversion& c) { ReadMagellanWaypointFile(c.inputName); },
     .times = StoreTimes::TimeOfReading},
    {.position = Position(Input::MagellanTrack),
     .texts = {"magellan-trk", "Magellan GPS Track", "trk", "", "Magellan GPS Track (*.*)", "*.*"},
     .recognise = [](const FileLook& f) { return f.HeadHolds("$PMGNTRK,"); },
     .loading = "Loading Magellan GPS Track file",
     .read = [](const Conversion& c) { ReadMagellanTrackFile(c.inputName, LeavesTimesOut(c)); }},
    {.position = Position(Input::MapsourceWaypoints),
     .texts = {"mapsource-wpt", "Mapsource Route/Waypoint", "wp", "mps;gdb", "Mapsource Waypoint (*.mps;*.gdb)",
               "*.mps;*.gdb"},
     .recognise = IsMapsourceFile,
     .loading = "Loading Mapsource Waypoints",
     .read = [](const Conversion& c) { ReadMapsourceFile(c.inputName, c.outputName, c.mode); },
     .readsEverything = true},
    {.position = Position(Input::MapsourceTracks),
     .texts = {"mapsource-trk", "Mapsource Track", "trk", "mps;gdb", "Mapsource Track (*.mps;*.gdb)", "*.mps;*.gdb"},
     .recognise = IsMapsourceFile,
     .loading = "Loading Mapsource Tracks",
     .read = [](const Conversion& c) { ReadMapsourceFile(c.inputName, c.outputName, c.mode); },
     .handsOverTracks = true,
     .readsEverything = true},
    {.position = Position(Input::TomTom),
     .texts = {"tomtom-ov2", "TomTom Waypoint", "wp", "ov2", "TomTom Waypoint (*.ov2)", "*.ov2"},
     .recognise = nullptr,
     .loading = "Loading TomTom Waypoints",
     .read = ReadTomTom,
     .ownOutputs = TomTomOutputs},
    {.position = Position(Input::GpxWaypoints),
     .texts = kGpxWaypointTexts,
     .recognise = IsGpxFile,
     .loading = "Loading GPX Waypoints",
     .read = ReadGpx,
     .readsEverything = true},
    {.position = Position(Input::GpxTracks),
     .texts = {"gpx-trk", "GPX Tracks (.gpx)", "trk", "gpx", "GPX Track (*.gpx)", "*.gpx"},
     .recognise = IsGpxFile,
     .loading = "Loading GPX Tracks",
     .read = ReadGpx,
     .handsOverTracks = true,
     .readsEverything = true},
};

constexpr OutputFormatRow kOutputRows[] = {
    {.position = Position(Output::KesWaypoint),
     .texts = kKesWaypointTexts,
     .writing = "Writing Kes Waypoint file",
     .file = WptFile,
     .write = WriteKesWaypoints,
     .extension = ".wpt",
     .besideExtension = ".rte"},
    {.position = Position(Output::KesTrack),
     .texts = kKesTrackTexts,
     .writing = "Writing Kes Track file(s)",
     .file = PltFile,
     .write = [](const Conversion&, const std::string& file) { WriteTrackFile(file); },
     .extension = ".plt",
     .tracks = [](const Conversion& c) -> std::unique_ptr<TrackDestination> {
         return std::make_unique<KesTrackFiles>(c.outputName);
     },
     .writesTracksAsHandedOver = true},
    {.position = Position(Output::HoluxWaypoint),
     .texts = kHoluxWaypointTexts,
     .writing = "Writing Holux Waypoint file",
     .file = AsTyped,
     .write = [](const Conversion&, const std::string& file) { WriteHoluxWaypointFile(file); },
     .extension = ".wrt"},
    {.position = Position(Output::HoluxTrack),
     .texts = kHoluxTrackTexts,
     .writing = "Writing Holux Track file",
     .file = AsTyped,
     .write = WriteHoluxTrack,
     .extension = ".tlg",
     .tracks = [](const Conversion&) -> std::unique_ptr<TrackDestination> {
         return std::make_unique<HoluxTrackImage>();
     },
     .writeChosenFiles = [](const Conversion& c, const std::string& file) { WriteHoluxTrackFile(c.inputList, file); },
     // The image stores five tracks; the pane lists the files it takes.
     .chosenFilesListed = 5},
    {.position = Position(Output::GpxWaypoints),
     .texts = kGpxWaypointTexts,
     .writing = "Writing GPX Waypoint file",
     .file = GpxFile,
     .write = [](const Conversion& c, const std::string& file) { WriteGpxWaypointFile(file, TimesOf(c)); },
     .extension = ".gpx",
     .leavesTimesOut = true},
    {.position = Position(Output::GpxTrack),
     .texts = {"gpx-trk", "GPX Track (.gpx)", "trk", "gpx", "GPX Track (*.gpx)", "*.gpx"},
     .writing = "Writing GPX Track file",
     .file = GpxFile,
     .write = FinishDocument,
     .extension = ".gpx",
     .tracks = [](const Conversion& c) -> std::unique_ptr<TrackDestination> {
         return std::make_unique<GpxTrackWriter>(GpxFile(c), TimesOf(c));
     },
     .writeChosenFiles = WriteChosenTracksToDocument,
     .leavesTimesOut = true},
    {.position = Position(Output::Gpx),
     .texts = {"gpx", "GPX Waypoints, Routes and Tracks (.gpx)", "all", "gpx", "GPX (*.gpx)", "*.gpx"},
     .writing = "Writing GPX file",
     .file = GpxFile,
     .write = FinishDocument,
     .extension = ".gpx",
     .tracks = [](const Conversion& c) -> std::unique_ptr<TrackDestination> {
         return std::make_unique<GpxDocument>(GpxFile(c), TimesOf(c), kEverything);
     },
     .writeChosenFiles = WriteChosenTracksToDocument,
     .leavesTimesOut = true},
    {.position = Position(Output::Kml),
     .texts = {"kml", "KML Waypoints, Routes and Tracks (.kml)", "all", "kml", "KML (*.kml)", "*.kml"},
     .writing = "Writing KML file",
     .file = KmlFile,
     .write = FinishDocument,
     .extension = ".kml",
     .tracks = MakeDocument<KmlDocument, KmlFile>,
     .writeChosenFiles = WriteChosenTracksToDocument,
     .leavesTimesOut = true},
    {.position = Position(Output::GeoJson),
     .texts = {"geojson", "GeoJSON Waypoints, Routes and Tracks (.geojson)", "all", "geojson", "GeoJSON (*.geojson)",
               "*.geojson"},
     .writing = "Writing GeoJSON file",
     .file = GeoJsonFile,
     .write = FinishDocument,
     .extension = ".geojson",
     .tracks = MakeDocument<GeoJsonDocument, GeoJsonFile>,
     .writeChosenFiles = WriteChosenTracksToDocument,
     .leavesTimesOut = true},
    {.position = Position(Output::Csv),
     .texts = {"csv", "CSV Waypoints, Routes and Tracks (.csv)", "all", "csv", "CSV (*.csv)", "*.csv"},
     .writing = "Writing CSV file",
     .file = CsvFile,
     .write = FinishDocument,
     .extension = ".csv",
     .tracks = MakeDocument<CsvDocument, CsvFile>,
     .writeChosenFiles = WriteChosenTracksToDocument,
     .leavesTimesOut = true},
};

// The checks that make an incomplete row a compile error.
constexpr bool Filled(const char* text) { return text != nullptr && *text != '\0'; }

constexpr bool Named(const FormatTexts& t)
{
    const std::string_view kind = t.kind ? t.kind : "";
    return Filled(t.name) && Filled(t.caption) && (kind == "wp" || kind == "trk" || kind == kEverythingKind) &&
           t.extensions != nullptr && Filled(t.description) && Filled(t.pattern);
}

template <typename Row, std::size_t N>
constexpr bool InPlace(const Row (&rows)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        if (rows[i].position != static_cast<int>(i)) return false;
    return true;
}

template <typename Row, std::size_t N>
constexpr bool NamesUnique(const Row (&rows)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        for (std::size_t j = i + 1; j < N; ++j)
            if (std::string_view(rows[i].texts.name) == rows[j].texts.name) return false;
    return true;
}

constexpr bool InputsComplete()
{
    for (const InputFormatRow& row : kInputRows)
        if (!Named(row.texts) || std::string_view(row.texts.kind) == kEverythingKind || !Filled(row.loading) ||
            row.read == nullptr)
            return false;
    return true;
}

constexpr bool OutputsComplete()
{
    for (const OutputFormatRow& row : kOutputRows)
        if (!Named(row.texts) || !Filled(row.writing) || row.file == nullptr || row.write == nullptr ||
            !Filled(row.extension))
            return false;
    return true;
}

static_assert(std::size(kInputRows) == static_cast<std::size_t>(Input::Count), "one input row per Input value");
static_assert(std::size(kOutputRows) == static_cast<std::size_t>(Output::Count), "one output row per Output value");
static_assert(InPlace(kInputRows) && InPlace(kOutputRows), "every row stands at its own position");
static_assert(NamesUnique(kInputRows) && NamesUnique(kOutputRows), "every format name is used once in its table");
static_assert(InputsComplete(), "every input row needs its texts, a kind of its own, a loading line and a reader");
static_assert(OutputsComplete(),
              "every output row needs its texts, a writing line, a file name, a writer and an extension");

constexpr FormatRows kRows{kInputRows, kOutputRows};
}  // namespace

const FormatRows& KnownFormats() { return kRows; }
