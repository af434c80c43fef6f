// SPDX-License-Identifier: GPL-3.0-or-later
// MapSend waypoint (.wpt) and track (.trk) files: an 18-byte header, counted
// strings and fixed-size little-endian records.
#include "formats/import/Mapsend.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/byte_reader.h"
#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/frontend.h"
#include "core/number_format.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "core/text_encoding.h"
#include "formats/document/Symbols.h"

namespace {
constexpr std::int32_t kWaypointKind = 1;
constexpr std::int32_t kTrackKind = 2;
constexpr std::size_t kTrackPointSize = 28;
constexpr std::size_t kWaypointRecordSize = 30;
constexpr double kSecondsPerDay = 86400.0;
const char* const kFileKind = "MapSend";

struct MapsendHeader {
    int version = 0;
    std::int32_t kind = 0;  // stays 0 when the file is too short to hold a header
};

struct MapsendTrackPoint {
    double longitude = 0;
    double negatedLatitude = 0;
    float altitude = 0;         // metres, whole in versions 2 and 3
    std::uint32_t seconds = 0;  // since 1970-01-01 00:00
    std::int32_t validity = 0;
};

struct MapsendWaypointRecord {
    std::uint8_t symbol = 0;
    double altitude = 0;
    double longitude = 0;
    double negatedLatitude = 0;
};

MapsendHeader ReadHeader(ByteReader& file)
{
    MapsendHeader header;
    std::uint8_t versionChar = 0;
    std::int32_t kind = 0;
    if (file.skip(13) && file.u8(versionChar) && file.i32(kind)) {
        header.kind = kind;
        header.version = versionChar == '0' ? 2 : versionChar == '4' ? 3 : 4;
    }
    return header;
}

// Versions 2 and 3 hold whole metres as an int32 where version 4 holds a float32.
bool ReadAltitude(ByteReader& file, int version, float& metres)
{
    if (version >= 4) return file.f32(metres);
    std::int32_t whole = 0;
    if (!file.i32(whole)) return false;
    metres = static_cast<float>(whole);
    return true;
}

// Only a record whose bytes are all there is read.
bool ReadTrackPoint(ByteReader& file, int version, MapsendTrackPoint& p)
{
    if (file.remaining() < kTrackPointSize) return false;
    return file.f64(p.longitude) && file.f64(p.negatedLatitude) && ReadAltitude(file, version, p.altitude) &&
           file.u32(p.seconds) && file.i32(p.validity);
}

bool ReadWaypointRecord(ByteReader& file, MapsendWaypointRecord& r)
{
    if (file.remaining() < kWaypointRecordSize) return false;
    return file.skip(4) && file.u8(r.symbol) && file.skip(1) && file.f64(r.altitude) && file.f64(r.longitude) &&
           file.f64(r.negatedLatitude);
}

// A file of the other kind, or of no MapSend kind, is refused: nothing is
// written over an output that may hold what the user wants to keep.
void Reject(const std::string& message)
{
    Front().ShowMessage(message);
    ReadFailed = true;
}

// The file's doubles may hold any bit pattern; one beyond the single range
// becomes an infinity (as the hardware rounds it) instead of an undefined cast.
float ToSingle(double value)
{
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    if (value > kLargest) return std::numeric_limits<float>::infinity();
    if (value < -kLargest) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}
}  // namespace

std::string ReadCountedString(ByteReader& file)
{
    std::uint8_t length = 0;
    if (!file.u8(length) || length == 0) return {};
    std::array<std::uint8_t, 255> buffer{};
    const std::size_t got = file.read_some(std::span(buffer.data(), length));
    return std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
}

void ReadMapsendTrackFile(const std::string& fileName)
{
    ClearTracks();
    ByteReader file = ByteReader::FromFile(fileName);
    const MapsendHeader header = ReadHeader(file);
    if (header.kind != kTrackKind) {
        Reject("This is not a Track file");
        return;
    }
    TrackProps.Name = ReadCountedString(file);
    TrackProps.Detail.known = true;
    TrackProps.Detail.name = TextAsRead(TrackProps.Name, false);
    std::int32_t count = 0;
    if (!file.i32(count)) NoteEndInsideRecord(kFileKind);
    const std::size_t trailer = header.version >= 3 ? 1 : 0;
    // The count only bounds the loop: a file that ends early (or a count far
    // beyond its size) ends with the last whole record, and says so.
    for (std::int32_t k = 0; k < count; ++k) {
        MapsendTrackPoint p;
        const bool whole = ReadTrackPoint(file, header.version, p);
        if (!whole || !file.skip(trailer)) NoteEndInsideRecord(kFileKind);
        if (!whole) break;
        if (p.validity == 0) continue;
        TrackPoint t{-p.negatedLatitude, p.longitude, TrackProps.PointCount == 0 ? 1 : 0, p.altitude,
                     p.seconds / kSecondsPerDay + kUnixEpochDay};
        t.Known = true;
        t.Values.metres = DecimalOfFloat(p.altitude);
        t.Values.time = UtcTime{p.seconds, 0};
        if (!StoreTrackPoint(t)) break;
    }
}

void ReadMapsendWaypointFile(const std::string& fileName)
{
    ClearWaypoints();
    ByteReader file = ByteReader::FromFile(fileName);
    if (ReadHeader(file).kind != kWaypointKind) {
        Reject("This is not a Waypoint file");
        return;
    }
    std::int32_t count = 0;
    if (!file.i32(count)) NoteEndInsideRecord(kFileKind);
    for (std::int32_t k = 0; k < count; ++k) {
        std::string name = ReadCountedString(file);
        std::string comment = ReadCountedString(file);
        MapsendWaypointRecord r;
        if (!ReadWaypointRecord(file, r)) {
            NoteEndInsideRecord(kFileKind);
            break;
        }
        WayPoints w = ResetWaypoint();
        w.Name = std::move(name);
        w.Description = std::move(comment);
        w.Latitude = -r.negatedLatitude;
        w.Longitude = r.longitude;
        w.Altitude = ToSingle(r.altitude);
        w.Symbol = r.symbol;
        w.DateTime = StampTimeOfReading();
        // The record holds no time; its altitude is taken for metres, as in the track files.
        w.Detail.known = true;
        w.Detail.texts = PointTexts{.name = TextAsRead(w.Name, false),
                                    .comment = TextAsRead(w.Description, false),
                                    .symbol = SymbolNameOfCode(w.Symbol)};
        w.Detail.values.metres = r.altitude;
        if (!StoreWaypoint(std::move(w))) break;
    }
}
