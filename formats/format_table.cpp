// SPDX-License-Identifier: GPL-3.0-or-later
// The table of formats: everything the Convert action, the window and the
// command know of a format is in its row here. The checks at the end make a
// row that lacks a part a compile error.
#include "formats/format_table.h"

#include <string_view>

#include "core/convert/catalogue.h"
#include "core/convert/format_lookup.h"
#include "core/io/file_names.h"
#include "formats/compegps/CompeGps.h"
#include "formats/csv/Csv.h"
#include "formats/document/Symbols.h"
#include "formats/fit/Fit.h"
#include "formats/geojson/GeoJson.h"
#include "formats/gpx/Gpx.h"
#include "formats/holux/Holux.h"
#include "formats/igc/Igc.h"
#include "formats/import/Magellan.h"
#include "formats/import/Mapsend.h"
#include "formats/import/MapsourceFile.h"
#include "formats/import/Nobletec.h"
#include "formats/import/nmea.h"
#include "formats/import/tomtom.h"
#include "formats/kml/Kml.h"
#include "formats/native/Kes.h"
#include "formats/native/KesRecords.h"
#include "formats/pcx/Pcx5.h"
#include "formats/tcx/Tcx.h"
#include "formats/wintec/WintecTes.h"

namespace {
using namespace std::string_view_literals;

// The texts of the formats that are both read and written.
constexpr FormatTexts kKesWaypointTexts{"kes-wpt", "Kestrelmaps Waypoint (.wpt)",  FormatKind::Waypoints,
                                        "wpt",     "Kestrelmaps Waypoint (*.wpt)", "*.wpt"};
constexpr FormatTexts kKesTrackTexts{"kes-plt", "Kestrelmaps Track (.plt)",  FormatKind::Tracks,
                                     "plt",     "Kestrelmaps Track (*.plt)", "*.plt"};
constexpr FormatTexts kHoluxWaypointTexts{"holux-wrt", "Holux Waypoint (.wrt)",  FormatKind::Waypoints,
                                          "wrt",       "Holux Waypoint (*.wrt)", "*.wrt"};
constexpr FormatTexts kHoluxTrackTexts{"holux-tlg", "Holux Track (.tlg)",  FormatKind::Tracks,
                                       "tlg",       "Holux Track (*.tlg)", "*.tlg"};
constexpr FormatTexts kTomTomTexts{"tomtom-ov2", "TomTom Waypoint",         FormatKind::Waypoints,
                                   "ov2",        "TomTom Waypoint (*.ov2)", "*.ov2"};
constexpr FormatTexts kGpxWaypointTexts{"gpx-wpt", "GPX Waypoints/Routes (.gpx)", FormatKind::Waypoints,
                                        "gpx",     "GPX Waypoint (*.gpx)",        "*.gpx"};

// Signatures. A MapSend file starts with a counted text of 13 characters,
// "4D5333" and then its version digits; its kind (1 waypoints, 2 tracks) is
// the int32 at 14. "MsRcd" starts a .mps file, "MsRcf" a .gdb file.
bool IsMapsendFile(const FileLook& f)
{
    return f.StartsWith("\x0D"
                        "4D5333"sv);
}
// A GPX file in UTF-16 or UTF-32 is told by its byte-order mark or by the
// zero bytes around its "<?xml" declaration; its ASCII is then every second
// or fourth byte.
std::string AsciiOfWideHead(std::string_view head)
{
    struct Wide {
        std::string_view start;
        std::size_t step, offset;
    };
    static constexpr Wide kWide[] = {
        {"\xFF\xFE\0\0"sv, 4, 0}, {"\0\0\xFE\xFF"sv, 4, 3}, {"<\0\0\0"sv, 4, 0}, {"\0\0\0<"sv, 4, 3},
        {"\xFF\xFE"sv, 2, 0},     {"\xFE\xFF"sv, 2, 1},     {"<\0?\0"sv, 2, 0},  {"\0<\0?"sv, 2, 1},
    };
    std::string ascii;
    for (const Wide& w : kWide) {
        if (!head.starts_with(w.start)) continue;
        for (std::size_t at = w.offset; at < head.size(); at += w.step) ascii += head[at];
        break;
    }
    return ascii;
}
bool IsGpxFile(const FileLook& f)
{
    return f.HeadHolds("<gpx") || AsciiOfWideHead(f.Head()).find("<gpx") != std::string::npos;
}
bool IsMapsourceFile(const FileLook& f) { return f.StartsWith("MsRc"); }
// A FIT file's header gives its size first and ".FIT" at 8.
bool IsFitFile(const FileLook& f) { return f.HoldsAt(8, ".FIT"); }
bool IsTcxFile(const FileLook& f) { return f.HeadHolds("<TrainingCenterDatabase"); }
bool IsKmlFile(const FileLook& f) { return f.HeadHolds("<kml") || f.HeadHolds(":kml "); }
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

// A GeoJSON file is a JSON object whose "type" names a feature collection,
// a feature or a geometry (TopoJSON, which names geometries too, is a "Topology").
bool IsGeoJsonFile(const FileLook& f)
{
    std::string_view head = f.Head();
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    const std::size_t start = head.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || head[start] != '{' || !f.HeadHolds("\"type\"") ||
        f.HeadHolds("\"Topology\""))
        return false;
    for (const std::string_view type :
         {"\"FeatureCollection\""sv, "\"Feature\""sv, "\"Point\""sv, "\"MultiPoint\""sv, "\"LineString\""sv,
          "\"MultiLineString\""sv, "\"Polygon\""sv, "\"MultiPolygon\""sv, "\"GeometryCollection\""sv})
        if (f.HeadHolds(type)) return true;
    return false;
}

// A CSV file of points names latitude and longitude columns in its first line.
bool IsCsvFile(const FileLook& f)
{
    std::string_view head = f.Head();
    const std::size_t start = head.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return false;
    head.remove_prefix(start);
    return IsCsvHeaderLine(head.substr(0, head.find_first_of("\r\n")));
}

std::string OutputNamed(const WriteRequest& r, const char* extension)
{
    return r.exactNames ? r.outputName : ChangeFileExt(r.outputName, extension);
}
std::string AsTyped(const WriteRequest& r) { return r.outputName; }
std::string WptFile(const WriteRequest& r) { return OutputNamed(r, ".wpt"); }
std::string GpxFile(const WriteRequest& r) { return OutputNamed(r, ".gpx"); }
std::string KmlFile(const WriteRequest& r) { return OutputNamed(r, ".kml"); }
std::string GeoJsonFile(const WriteRequest& r) { return OutputNamed(r, ".geojson"); }
std::string CsvFile(const WriteRequest& r) { return OutputNamed(r, ".csv"); }
std::string Ov2File(const WriteRequest& r) { return OutputNamed(r, ".ov2"); }
// Numbered track files: the pane names the output as typed.
std::string PltFile(const WriteRequest& r) { return r.numberTrackFiles ? r.outputName : OutputNamed(r, ".plt"); }

// What each output holds of each kind of data; the survey names the rest.
using enum PointValue;
constexpr PointValues kEveryPointValue = PointValues::All();
constexpr GroupValues kEveryGroupValue = GroupValues::All().Without({GroupValue::Colour});

constexpr OutputHolds GpxHolds(bool waypointsAndRoutes, bool tracks)
{
    const auto points = [](const char* noun, bool held) {
        return held ? PointHolds{.noun = noun, .file = ".gpx", .values = kEveryPointValue} : PointHolds{};
    };
    const auto groups = [](const char* noun, bool held) {
        return held ? GroupHolds{.noun = noun, .file = ".gpx", .values = kEveryGroupValue} : GroupHolds{};
    };
    return {.file = ".gpx",
            .fileDetails = FileDetails::All(),
            .waypoints = points("waypoint", waypointsAndRoutes),
            .routePoints = points("route point", waypointsAndRoutes),
            .trackPoints = points("track point", tracks),
            .routes = groups("route", waypointsAndRoutes),
            .tracks = groups("track", tracks),
            // The road as the common device extension's route points hold it: positions only.
            .road = true};
}

// A placemark's name, description, time and height, its comment and symbol as named data.
constexpr PointValues kPlacemarkValues{Name, Comment, Description, Time, Elevation, SymbolName};
constexpr GroupValues kLineValues{GroupValue::Name, GroupValue::Comment, GroupValue::Description};
constexpr OutputHolds kKmlHolds{
    .file = ".kml",
    .fileDetails = {FileDetail::Name, FileDetail::Description},
    .waypoints = {.noun = "waypoint", .file = ".kml", .values = kPlacemarkValues},
    .routePoints = {.noun = "route point", .file = ".kml", .values = kPlacemarkValues},
    // A gx:Track holds a time for every point: a section with a point
    // without one is a line of positions only.
    .trackPoints = {.noun = "track point",
                    .file = ".kml",
                    .values = {Time, Elevation},
                    .times = HeldWhere::EveryPointOfSection},
    .routes = {.noun = "route",
               .file = ".kml",
               .values = {GroupValue::Name, GroupValue::Comment, GroupValue::Description, GroupValue::Colour}},
    .tracks = {.noun = "track",
               .file = ".kml",
               .values = {GroupValue::Name, GroupValue::Comment, GroupValue::Description, GroupValue::Colour}},
    .road = true,
    .roadElevations = true};

// The points of a line hold their times and names beside the positions, and
// heights where every point of the line has one.
constexpr PointHolds GeoJsonLinePoints(const char* noun)
{
    return {
        .noun = noun, .file = ".geojson", .values = {Name, Time, Elevation}, .elevations = HeldWhere::EveryPointOfList};
}
constexpr OutputHolds kGeoJsonHolds{.file = ".geojson",
                                    .waypoints = {.noun = "waypoint", .file = ".geojson", .values = kPlacemarkValues},
                                    .routePoints = GeoJsonLinePoints("route point"),
                                    .trackPoints = GeoJsonLinePoints("track point"),
                                    .routes = {.noun = "route", .file = ".geojson", .values = kLineValues},
                                    .tracks = {.noun = "track", .file = ".geojson", .values = kLineValues},
                                    .road = true,
                                    .roadElevations = true};

// A row per point: its name, description, symbol and comment, its track's or route's name.
constexpr OutputHolds kCsvHolds{.file = ".csv",
                                .waypoints = {.noun = "waypoint", .file = ".csv", .values = kPlacemarkValues},
                                .routePoints = {.noun = "route point", .file = ".csv", .values = kPlacemarkValues},
                                .trackPoints = {.noun = "track point", .file = ".csv", .values = kPlacemarkValues},
                                .routes = {.noun = "route", .file = ".csv", .values = {GroupValue::Name}},
                                .tracks = {.noun = "track", .file = ".csv", .values = {GroupValue::Name}},
                                .road = true,
                                .roadElevations = true};

// The native files: 8-bit texts on comma-separated lines, symbols by number.
std::string NativeText(std::string_view utf8) { return kes::NativeText(utf8); }
constexpr OutputHolds kKesWaypointHolds{
    .file = ".wpt",
    .waypoints = {.noun = "waypoint",
                  .file = ".wpt",
                  .values = {Name, Description, Time, Elevation, SymbolName, Display},
                  .oneText = true,
                  .symbolNumbers = true,
                  .symbolZeroTold = true},
    .routePoints = {.noun = "route point",
                    .file = ".rte",
                    .values = {Name, Description, Time, SymbolName},
                    .nameLength = kes::kRouteNameLength,
                    .oneText = true,
                    .symbolNumbers = true},
    .routes = {.noun = "route",
               .file = ".rte",
               .values = {GroupValue::Name, GroupValue::Description},
               .nameLength = kes::kRouteNameLength,
               .oneText = true,
               .nameWholeAsText = true},
    .writtenText = NativeText,
    .symbolNamed = SymbolNumbered,
    .defaultSymbol = "Waypoint"};
constexpr OutputHolds kKesTrackHolds{
    .file = ".plt",
    .trackPoints = {.noun = "track point", .file = ".plt", .values = {Time, Elevation}},
    .tracks = {.noun = "track", .file = ".plt", .values = {GroupValue::Name}},
    .writtenText = NativeText};
constexpr OutputHolds kHoluxWaypointHolds{.file = ".wrt",
                                          .waypoints = {.noun = "waypoint",
                                                        .file = ".wrt",
                                                        .values = {Name, Description, Time},
                                                        .nameLength = holux::kWaypointNameLength,
                                                        .oneText = true,
                                                        .textLength = holux::kWaypointTextLength},
                                          .writtenText = NativeText};
// Positions only, and one section a track.
constexpr OutputHolds kHoluxTrackHolds{.file = ".tlg",
                                       .trackPoints = {.noun = "track point", .file = ".tlg"},
                                       .tracks = {.noun = "track",
                                                  .file = ".tlg",
                                                  .values = {GroupValue::Name, GroupValue::Description},
                                                  .nameLength = holux::kTrackNameLength,
                                                  .oneText = true,
                                                  .textLength = holux::kTrackTextLength},
                                       .sections = false,
                                       .writtenText = NativeText};

// A point record per waypoint: its position in whole 1e-5 degrees and its name, nothing else.
constexpr OutputHolds kTomTomHolds{.file = ".ov2", .waypoints = {.noun = "waypoint", .file = ".ov2", .values = {Name}}};

constexpr InputFormatRow kInputRows[] = {
    {.position = Position(Input::KesWaypoint),
     .texts = kKesWaypointTexts,
     .recognise = [](const FileLook& f) { return f.StartsWith("Kestrelmaps Waypoint File"); },
     .loading = "Loading Kes Waypoint file",
     .read = ReadWaypointFile},
    {.position = Position(Input::KesTrack),
     .texts = kKesTrackTexts,
     .recognise = [](const FileLook& f) { return f.StartsWith("Kestrelmaps Track Point File"); },
     .loading = "Loading Kes Track file(s)",
     .read = ReadTrackFile},
    {.position = Position(Input::HoluxWaypoint),
     .texts = kHoluxWaypointTexts,
     .recognise = [](const FileLook& f) { return f.StartsWith("\x00\xA6\x38\x5C"sv); },
     .loading = "Loading Holux Waypoint file",
     .read = ReadHoluxWaypointFile,
     .looks = FileLooks::Binary},
    {.position = Position(Input::HoluxTrack),
     .texts = kHoluxTrackTexts,
     .recognise = [](const FileLook& f) { return f.HoldsAt(131072, "\x00\x12\xCB\x38"sv); },
     .loading = "Loading Holux Track file",
     .read = ReadHoluxTrackFile,
     .severalTracks = true,
     .looks = FileLooks::Binary},
    {.position = Position(Input::MapsendWaypoint),
     .texts = {"mapsend-wpt", "Mapsend Waypoint (.wpt)", FormatKind::Waypoints, "wpt", "Mapsend Waypoint (*.wpt)",
               "*.wpt"},
     .recognise = [](const FileLook& f) { return IsMapsendFile(f) && f.HoldsAt(14, "\x01\x00\x00\x00"sv); },
     .loading = "Loading Mapsend Waypoint file",
     .read = ReadMapsendWaypointFile,
     .looks = FileLooks::Binary},
    {.position = Position(Input::MapsendTrack),
     .texts = {"mapsend-trk", "Mapsend Track (.trk)", FormatKind::Tracks, "trk", "Mapsend Track (*.trk)", "*.trk"},
     .recognise = [](const FileLook& f) { return IsMapsendFile(f) && f.HoldsAt(14, "\x02\x00\x00\x00"sv); },
     .loading = "Loading Mapsend Track file",
     .read = ReadMapsendTrackFile,
     .looks = FileLooks::Binary},
    {.position = Position(Input::NobletecWaypoints),
     .texts = {"nobletec-wpt", "Nobletec Export File - Waypoints (.txt)", FormatKind::Waypoints, "txt",
               "Nobletec Waypoint (*.txt)", "*.txt"},
     .recognise = IsNobletecFile,
     .loading = "Loading Nobletec Export File",
     .read = ReadNobletecFile},
    {.position = Position(Input::NobletecTracks),
     .texts = {"nobletec-trk", "Nobletec Export File - Tracks (.txt)", FormatKind::Tracks, "txt",
               "Nobletec Track (*.txt)", "*.txt"},
     .recognise = IsNobletecFile,
     .loading = "Loading Nobletec Export File",
     .read = ReadNobletecFile},
    {.position = Position(Input::Nmea),
     .texts = {"nmea", "NMEA Log of GPRMC Sentences", FormatKind::Tracks, "nmea;log", "NMEA Log (*.*)", "*.*"},
     .recognise = IsNmeaLog,
     .loading = "Loading NMEA Log File",
     .read = ReadNmeaLogFile,
     .unicodeTexts = true},
    {.position = Position(Input::MagellanWaypoint),
     .texts = {"magellan-wpt", "Magellan GPS Waypoint", FormatKind::Waypoints, "", "Magellan GPS Waypoint (*.*)",
               "*.*"},
     .recognise = [](const FileLook& f) { return f.HeadHolds("$PMGNWPL,"); },
     .loading = "Loading Magellan GPS Waypoint file",
     .read = ReadMagellanFile},
    {.position = Position(Input::MagellanTrack),
     .texts = {"magellan-trk", "Magellan GPS Track", FormatKind::Tracks, "", "Magellan GPS Track (*.*)", "*.*"},
     .recognise = [](const FileLook& f) { return f.HeadHolds("$PMGNTRK,"); },
     .loading = "Loading Magellan GPS Track file",
     .read = ReadMagellanFile},
    {.position = Position(Input::MapsourceWaypoints),
     .texts = {"mapsource-wpt", "Mapsource Route/Waypoint", FormatKind::Waypoints, "mps;gdb",
               "Mapsource Waypoint (*.mps;*.gdb)", "*.mps;*.gdb"},
     .recognise = IsMapsourceFile,
     .loading = "Loading Mapsource Waypoints",
     .read = ReadMapsourceFile,
     .looks = FileLooks::Binary},
    {.position = Position(Input::MapsourceTracks),
     .texts = {"mapsource-trk", "Mapsource Track", FormatKind::Tracks, "mps;gdb", "Mapsource Track (*.mps;*.gdb)",
               "*.mps;*.gdb"},
     .recognise = IsMapsourceFile,
     .loading = "Loading Mapsource Tracks",
     .read = ReadMapsourceFile,
     .severalTracks = true,
     .looks = FileLooks::Binary},
    {.position = Position(Input::TomTom),
     .texts = kTomTomTexts,
     .recognise = nullptr,
     .loading = "Loading TomTom Waypoints",
     .read = ReadTomTomFile,
     .unicodeTexts = true,
     .looks = FileLooks::Binary},
    {.position = Position(Input::GpxWaypoints),
     .texts = kGpxWaypointTexts,
     .recognise = IsGpxFile,
     .loading = "Loading GPX Waypoints",
     .read = ReadGpxFile,
     .unicodeTexts = true,
     .looks = FileLooks::Xml},
    {.position = Position(Input::GpxTracks),
     .texts = {"gpx-trk", "GPX Tracks (.gpx)", FormatKind::Tracks, "gpx", "GPX Track (*.gpx)", "*.gpx"},
     .recognise = IsGpxFile,
     .loading = "Loading GPX Tracks",
     .read = ReadGpxFile,
     .severalTracks = true,
     .unicodeTexts = true,
     .looks = FileLooks::Xml},
    // No signature: its records start with any bytes.
    {.position = Position(Input::WintecTes),
     .texts = {"wintec-tes", "Wintec TES Track Log (.tes)", FormatKind::Tracks, "tes", "Wintec TES Track (*.tes)",
               "*.tes"},
     .recognise = nullptr,
     .loading = "Loading Wintec TES Track Log",
     .read = ReadWintecTesFile,
     .severalTracks = true,
     .unicodeTexts = true,
     .looks = FileLooks::Binary},
    // Waypoint, route and track files share their signature; the extension
    // or the output's kind settles the row.
    {.position = Position(Input::CompeGpsWaypoints),
     .texts = {"compegps-wpt", "CompeGPS Waypoints/Routes (.wpt, .rte)", FormatKind::Waypoints, "wpt;rte",
               "CompeGPS Waypoint (*.wpt;*.rte)", "*.wpt;*.rte"},
     .recognise = IsCompeGpsFile,
     .loading = "Loading CompeGPS Waypoints",
     .read = ReadCompeGpsFile},
    {.position = Position(Input::CompeGpsTracks),
     .texts = {"compegps-trk", "CompeGPS Track (.trk)", FormatKind::Tracks, "trk", "CompeGPS Track (*.trk)", "*.trk"},
     .recognise = IsCompeGpsFile,
     .loading = "Loading CompeGPS Track",
     .read = ReadCompeGpsFile,
     .severalTracks = true},
    {.position = Position(Input::Pcx5Waypoints),
     .texts = {"pcx5-wpt", "Garmin PCX5 Waypoints/Routes (.wpt, .rte)", FormatKind::Waypoints, "wpt;rte",
               "Garmin PCX5 Waypoint (*.wpt;*.rte)", "*.wpt;*.rte"},
     .recognise = IsPcx5File,
     .loading = "Loading PCX5 Waypoints",
     .read = ReadPcx5File},
    {.position = Position(Input::Pcx5Tracks),
     .texts = {"pcx5-trk", "Garmin PCX5 Track (.trk)", FormatKind::Tracks, "trk", "Garmin PCX5 Track (*.trk)", "*.trk"},
     .recognise = IsPcx5File,
     .loading = "Loading PCX5 Track",
     .read = ReadPcx5File,
     .severalTracks = true},
    {.position = Position(Input::Igc),
     .texts = {"igc", "IGC Flight Recorder Log (.igc)", FormatKind::Tracks, "igc", "IGC Flight Log (*.igc)", "*.igc"},
     .recognise = IsIgcFile,
     .loading = "Loading IGC Flight Log",
     .read = ReadIgcFile,
     .severalTracks = true,
     .unicodeTexts = true},
    {.position = Position(Input::FitTracks),
     .texts = {"fit", "FIT Activity/Course (.fit)", FormatKind::Tracks, "fit", "FIT Track (*.fit)", "*.fit"},
     .recognise = IsFitFile,
     .loading = "Loading FIT Track",
     .read = ReadFitFile,
     .unicodeTexts = true,
     .looks = FileLooks::Binary},
    {.position = Position(Input::FitWaypoints),
     .texts = {"fit-wpt", "FIT Locations/Course Points (.fit)", FormatKind::Waypoints, "fit", "FIT Waypoint (*.fit)",
               "*.fit"},
     .recognise = IsFitFile,
     .loading = "Loading FIT Waypoints",
     .read = ReadFitFile,
     .unicodeTexts = true,
     .looks = FileLooks::Binary},
    {.position = Position(Input::Tcx),
     .texts = {"tcx", "Training Center Tracks (.tcx)", FormatKind::Tracks, "tcx", "Training Center (*.tcx)", "*.tcx"},
     .recognise = IsTcxFile,
     .loading = "Loading Training Center Tracks",
     .read = ReadTcxFile,
     .severalTracks = true,
     .unicodeTexts = true,
     .looks = FileLooks::Xml},
    {.position = Position(Input::TcxCoursePoints),
     .texts = {"tcx-wpt", "Training Center Course Points (.tcx)", FormatKind::Waypoints, "tcx",
               "Training Center (*.tcx)", "*.tcx"},
     .recognise = IsTcxFile,
     .loading = "Loading Training Center Course Points",
     .read = ReadTcxFile,
     .unicodeTexts = true,
     .looks = FileLooks::Xml},
    {.position = Position(Input::KmlWaypoints),
     .texts = {"kml-wpt", "KML Waypoints/Routes (.kml)", FormatKind::Waypoints, "kml", "KML (*.kml)", "*.kml"},
     .recognise = IsKmlFile,
     .loading = "Loading KML Waypoints",
     .read = ReadKmlFile,
     .unicodeTexts = true,
     .looks = FileLooks::Xml},
    {.position = Position(Input::KmlTracks),
     .texts = {"kml-trk", "KML Tracks (.kml)", FormatKind::Tracks, "kml", "KML (*.kml)", "*.kml"},
     .recognise = IsKmlFile,
     .loading = "Loading KML Tracks",
     .read = ReadKmlFile,
     .severalTracks = true,
     .unicodeTexts = true,
     .looks = FileLooks::Xml},
    {.position = Position(Input::GeoJsonWaypoints),
     .texts = {"geojson-wpt", "GeoJSON Waypoints/Routes (.geojson)", FormatKind::Waypoints, "geojson;json",
               "GeoJSON Waypoint (*.geojson;*.json)", "*.geojson;*.json"},
     .recognise = IsGeoJsonFile,
     .loading = "Loading GeoJSON Waypoints",
     .read = ReadGeoJsonFile,
     .unicodeTexts = true},
    {.position = Position(Input::GeoJsonTracks),
     .texts = {"geojson-trk", "GeoJSON Tracks (.geojson)", FormatKind::Tracks, "geojson;json",
               "GeoJSON Track (*.geojson;*.json)", "*.geojson;*.json"},
     .recognise = IsGeoJsonFile,
     .loading = "Loading GeoJSON Tracks",
     .read = ReadGeoJsonFile,
     .severalTracks = true,
     .unicodeTexts = true},
    {.position = Position(Input::CsvWaypoints),
     .texts = {"csv-wpt", "CSV Waypoints/Routes (.csv)", FormatKind::Waypoints, "csv", "CSV Waypoint (*.csv)", "*.csv"},
     .recognise = IsCsvFile,
     .loading = "Loading CSV Waypoints",
     .read = ReadCsvFile,
     .unicodeTexts = true},
    {.position = Position(Input::CsvTracks),
     .texts = {"csv-trk", "CSV Tracks (.csv)", FormatKind::Tracks, "csv", "CSV Track (*.csv)", "*.csv"},
     .recognise = IsCsvFile,
     .loading = "Loading CSV Tracks",
     .read = ReadCsvFile,
     .severalTracks = true,
     .unicodeTexts = true},
    {.position = Position(Input::NmeaWaypoints),
     .texts = {"nmea-wpt", "NMEA Log - Waypoints of GPWPL Sentences", FormatKind::Waypoints, "nmea;log",
               "NMEA Waypoints (*.*)", "*.*"},
     .recognise = IsNmeaLog,
     .loading = "Loading NMEA Log File",
     .read = ReadNmeaLogFile,
     .unicodeTexts = true},
};

constexpr OutputFormatRow kOutputRows[] = {
    {.position = Position(Output::KesWaypoint),
     .texts = kKesWaypointTexts,
     .writing = "Writing Kes Waypoint file",
     .file = WptFile,
     .write = WriteWaypointFile,
     .extension = ".wpt",
     .besideExtension = ".rte",
     .waypointCapacity = kes::kMaxWaypoints,
     .routePointCapacity = kes::kMaxRoutePoints,
     .datesUndatedToday = true,
     .eightBitTexts = true,
     .holds = kKesWaypointHolds},
    {.position = Position(Output::KesTrack),
     .texts = kKesTrackTexts,
     .writing = "Writing Kes Track file(s)",
     .file = PltFile,
     .write = WriteTrackFile,
     .extension = ".plt",
     .filePerTrack = true,
     .trackPointCapacity = kes::kMaxTrackPoints,
     .datesUndatedToday = true,
     .eightBitTexts = true,
     .holds = kKesTrackHolds},
    {.position = Position(Output::HoluxWaypoint),
     .texts = kHoluxWaypointTexts,
     .writing = "Writing Holux Waypoint file",
     .file = AsTyped,
     .write = WriteHoluxWaypointFile,
     .extension = ".wrt",
     .waypointCapacity = holux::kWaypointSlots,
     .datesUndatedToday = true,
     .eightBitTexts = true,
     .holds = kHoluxWaypointHolds},
    {.position = Position(Output::HoluxTrack),
     .texts = kHoluxTrackTexts,
     .writing = "Writing Holux Track file",
     .file = AsTyped,
     .write = WriteHoluxTrackFile,
     .extension = ".tlg",
     // The image stores five tracks; the pane lists the files it takes.
     .chosenFilesListed = 5,
     .trackPointCapacity = holux::kTrackSlotPoints,
     .datesUndatedToday = true,
     .eightBitTexts = true,
     .holds = kHoluxTrackHolds},
    {.position = Position(Output::GpxWaypoints),
     .texts = kGpxWaypointTexts,
     .writing = "Writing GPX Waypoint file",
     .file = GpxFile,
     .write = WriteGpxWaypointFile,
     .extension = ".gpx",
     .writesReceiverFigures = true,
     .writesKeptExtensions = true,
     .holds = GpxHolds(true, false)},
    {.position = Position(Output::GpxTrack),
     .texts = {"gpx-trk", "GPX Track (.gpx)", FormatKind::Tracks, "gpx", "GPX Track (*.gpx)", "*.gpx"},
     .writing = "Writing GPX Track file",
     .file = GpxFile,
     .write = WriteGpxTrackFile,
     .extension = ".gpx",
     .writesReceiverFigures = true,
     .writesKeptExtensions = true,
     .holds = GpxHolds(false, true)},
    {.position = Position(Output::Gpx),
     .texts = {"gpx", "GPX Waypoints, Routes and Tracks (.gpx)", FormatKind::Everything, "gpx", "GPX (*.gpx)", "*.gpx"},
     .writing = "Writing GPX file",
     .file = GpxFile,
     .write = WriteGpxFile,
     .extension = ".gpx",
     .writesReceiverFigures = true,
     .writesKeptExtensions = true,
     .holds = GpxHolds(true, true)},
    {.position = Position(Output::Kml),
     .texts = {"kml", "KML Waypoints, Routes and Tracks (.kml)", FormatKind::Everything, "kml", "KML (*.kml)", "*.kml"},
     .writing = "Writing KML file",
     .file = KmlFile,
     .write = WriteKmlFile,
     .extension = ".kml",
     .holds = kKmlHolds},
    {.position = Position(Output::GeoJson),
     .texts = {"geojson", "GeoJSON Waypoints, Routes and Tracks (.geojson)", FormatKind::Everything, "geojson",
               "GeoJSON (*.geojson)", "*.geojson"},
     .writing = "Writing GeoJSON file",
     .file = GeoJsonFile,
     .write = WriteGeoJsonFile,
     .extension = ".geojson",
     .holds = kGeoJsonHolds},
    {.position = Position(Output::Csv),
     .texts = {"csv", "CSV Waypoints, Routes and Tracks (.csv)", FormatKind::Everything, "csv", "CSV (*.csv)", "*.csv"},
     .writing = "Writing CSV file",
     .file = CsvFile,
     .write = WriteCsvFile,
     .extension = ".csv",
     .holds = kCsvHolds},
    {.position = Position(Output::TomTom),
     .texts = kTomTomTexts,
     .writing = "Writing TomTom Waypoint file",
     .file = Ov2File,
     .write = WriteTomTomFile,
     .extension = ".ov2",
     .holds = kTomTomHolds},
};

// The checks that make an incomplete row a compile error.
constexpr bool Filled(const char* text) { return text != nullptr && *text != '\0'; }

constexpr bool Named(const FormatTexts& t)
{
    return Filled(t.name) && Filled(t.caption) && t.extensions != nullptr && Filled(t.description) && Filled(t.pattern);
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
        if (!Named(row.texts) || row.texts.kind == FormatKind::Everything || !Filled(row.loading) ||
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
