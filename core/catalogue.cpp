#include "core/catalogue.h"

std::array<FileType_Record, kInputFormatCount> InputFormats;
std::array<FileType_Record, kOutputFormatCount> OutputFormats;

namespace {
struct Row {
    const char* displayName;
    const char* extension;
    const char* description;
    const char* pattern;
    const char* kind;
};

constexpr Row kRows[kInputFormatCount] = {
    {"Kestrelmaps Waypoint (.wpt)", "wpt", "Kestrelmaps Waypoint (*.wpt)", "*.wpt", "wp"},
    {"Kestrelmaps Track (.plt)", "plt", "Kestrelmaps Track (*.plt)", "*.plt", "trk"},
    {"Holux Waypoint (.wrt)", "wrt", "Holux Waypoint (*.wrt)", "*.wrt", "wp"},
    {"Holux Track (.tlg)", "tlg", "Holux Track (*.tlg)", "*.tlg", "trk"},
    {"Mapsend Waypoint (.wpt)", "wpt", "Mapsend Waypoint (*.wpt)", "*.wpt", "wp"},
    {"Mapsend Track (.trk)", "trk", "Mapsend Track (*.trk)", "*.trk", "trk"},
    {"Nobletec Export File - Waypoints (.txt)", "txt", "Nobletec Waypoint (*.txt)", "*.txt", "wp"},
    {"Nobletec Export File - Tracks (.txt)", "txt", "Nobletec Track (*.txt)", "*.txt", "trk"},
    {"NMEA Log of GPRMC Sentences", "", "NMEA Log (*.*)", "*.*", "trk"},
    {"Magellan GPS Waypoint", "", "Magellan GPS Waypoint (*.*)", "*.*", "wp"},
    {"Magellan GPS Track", "", "Magellan GPS Track (*.*)", "*.*", "trk"},
    {"Mapsource Route/Waypoint", "mps;gdb", "Mapsource Waypoint (*.mps;*.gdb)", "*.mps;*.gdb", "wp"},
    {"Mapsource Track", "mps;gdb", "Mapsource Track (*.mps;*.gdb)", "*.mps;*.gdb", "trk"},
    {"TomTom Waypoint", "ov2", "TomTom Waypoint (*.ov2)", "*.ov2", "wp"},
};

FileType_Record RecordOf(const Row& row, int position)
{
    return {row.displayName, row.extension, std::string(row.description) + "|" + row.pattern, row.kind, position};
}
}  // namespace

void BuildFormatCatalogue()
{
    for (int i = 0; i < kInputFormatCount; ++i) InputFormats[i] = RecordOf(kRows[i], i);
    for (int i = 0; i < kOutputFormatCount; ++i) OutputFormats[i] = RecordOf(kRows[i], i);
}

bool FormatsCompatible(int inputPosition, int outputPosition)
{
    if (inputPosition < 0 || inputPosition >= kInputFormatCount) return false;
    if (outputPosition < 0 || outputPosition >= kOutputFormatCount) return false;
    return InputFormats[inputPosition].Kind == OutputFormats[outputPosition].Kind;
}
