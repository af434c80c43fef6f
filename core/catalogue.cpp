// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue.h"

#include <string_view>

std::array<FileType_Record, kInputFormatCount> InputFormats;
std::array<FileType_Record, kOutputFormatCount> OutputFormats;

namespace {
using namespace std::string_view_literals;

struct Mark {
    std::int64_t offset = 0;
    std::string_view bytes;  // empty: no mark
};

struct Row {
    const char* name;
    const char* displayName;
    const char* extension;
    const char* description;
    const char* pattern;
    const char* kind;
    std::array<Mark, 2> signature;
};

// A MapSend file starts with a counted text of 13 characters, "4D5333" and
// then its version digits; its kind (1 waypoints, 2 tracks) is the int32 at 14.
constexpr Mark kMapsendHeader{0, "\x0D"
                                 "4D5333"sv};

// Both GPX rows: an XML file whose root element is gpx, of either kind.
constexpr Mark kGpxRoot{kAnywhereInHead, "<gpx"sv};
constexpr Row kGpxWaypoints{"gpx-wpt", "GPX Waypoints/Routes (.gpx)", "gpx", "GPX Waypoint (*.gpx)", "*.gpx", "wp",
                            {kGpxRoot}};

constexpr Row kInputRows[kInputFormatCount] = {
    {"kes-wpt",
     "Kestrelmaps Waypoint (.wpt)",
     "wpt",
     "Kestrelmaps Waypoint (*.wpt)",
     "*.wpt",
     "wp",
     {Mark{0, "Kestrelmaps Waypoint File"sv}}},
    {"kes-plt",
     "Kestrelmaps Track (.plt)",
     "plt",
     "Kestrelmaps Track (*.plt)",
     "*.plt",
     "trk",
     {Mark{0, "Kestrelmaps Track Point File"sv}}},
    {"holux-wrt",
     "Holux Waypoint (.wrt)",
     "wrt",
     "Holux Waypoint (*.wrt)",
     "*.wrt",
     "wp",
     {Mark{0, "\x00\xA6\x38\x5C"sv}}},
    {"holux-tlg",
     "Holux Track (.tlg)",
     "tlg",
     "Holux Track (*.tlg)",
     "*.tlg",
     "trk",
     {Mark{131072, "\x00\x12\xCB\x38"sv}}},
    {"mapsend-wpt",
     "Mapsend Waypoint (.wpt)",
     "wpt",
     "Mapsend Waypoint (*.wpt)",
     "*.wpt",
     "wp",
     {kMapsendHeader, Mark{14, "\x01\x00\x00\x00"sv}}},
    {"mapsend-trk",
     "Mapsend Track (.trk)",
     "trk",
     "Mapsend Track (*.trk)",
     "*.trk",
     "trk",
     {kMapsendHeader, Mark{14, "\x02\x00\x00\x00"sv}}},
    {"nobletec-wpt", "Nobletec Export File - Waypoints (.txt)", "txt", "Nobletec Waypoint (*.txt)", "*.txt", "wp", {}},
    {"nobletec-trk", "Nobletec Export File - Tracks (.txt)", "txt", "Nobletec Track (*.txt)", "*.txt", "trk", {}},
    {"nmea", "NMEA Log of GPRMC Sentences", "", "NMEA Log (*.*)", "*.*", "trk", {Mark{kAnywhereInHead, "$GPRMC,"sv}}},
    {"magellan-wpt",
     "Magellan GPS Waypoint",
     "",
     "Magellan GPS Waypoint (*.*)",
     "*.*",
     "wp",
     {Mark{kAnywhereInHead, "$PMGNWPL,"sv}}},
    {"magellan-trk",
     "Magellan GPS Track",
     "",
     "Magellan GPS Track (*.*)",
     "*.*",
     "trk",
     {Mark{kAnywhereInHead, "$PMGNTRK,"sv}}},
    // "MsRcd" starts a .mps file, "MsRcf" a .gdb file.
    {"mapsource-wpt",
     "Mapsource Route/Waypoint",
     "mps;gdb",
     "Mapsource Waypoint (*.mps;*.gdb)",
     "*.mps;*.gdb",
     "wp",
     {Mark{0, "MsRc"sv}}},
    {"mapsource-trk",
     "Mapsource Track",
     "mps;gdb",
     "Mapsource Track (*.mps;*.gdb)",
     "*.mps;*.gdb",
     "trk",
     {Mark{0, "MsRc"sv}}},
    {"tomtom-ov2", "TomTom Waypoint", "ov2", "TomTom Waypoint (*.ov2)", "*.ov2", "wp", {}},
    kGpxWaypoints,
    {"gpx-trk", "GPX Tracks (.gpx)", "gpx", "GPX Track (*.gpx)", "*.gpx", "trk", {kGpxRoot}},
};

// The formats written: the four native and Holux ones, as they are read, and GPX.
constexpr Row kOutputRows[kOutputFormatCount] = {
    kInputRows[0], kInputRows[1],
    kInputRows[2], kInputRows[3],
    kGpxWaypoints, {"gpx-trk", "GPX Track (.gpx)", "gpx", "GPX Track (*.gpx)", "*.gpx", "trk", {kGpxRoot}},
};

FileType_Record RecordOf(const Row& row, int position)
{
    FileType_Record record{row.displayName,
                           row.extension,
                           std::string(row.description) + "|" + row.pattern,
                           row.kind,
                           position,
                           row.name,
                           {}};
    for (const Mark& mark : row.signature)
        if (!mark.bytes.empty()) record.Signature.push_back({mark.offset, std::string(mark.bytes)});
    return record;
}
}  // namespace

void BuildFormatCatalogue()
{
    for (int i = 0; i < kInputFormatCount; ++i) InputFormats[i] = RecordOf(kInputRows[i], i);
    for (int i = 0; i < kOutputFormatCount; ++i) OutputFormats[i] = RecordOf(kOutputRows[i], i);
}

namespace {
bool InTables(int inputPosition, int outputPosition)
{
    return inputPosition >= 0 && inputPosition < kInputFormatCount && outputPosition >= 0 &&
           outputPosition < kOutputFormatCount;
}
}  // namespace

bool FormatsCompatible(int inputPosition, int outputPosition)
{
    return InTables(inputPosition, outputPosition) &&
           InputFormats[inputPosition].Kind == OutputFormats[outputPosition].Kind;
}

bool SameFormat(int inputPosition, int outputPosition)
{
    return InTables(inputPosition, outputPosition) &&
           InputFormats[inputPosition].Name == OutputFormats[outputPosition].Name;
}
