// SPDX-License-Identifier: GPL-3.0-or-later
// MapSend waypoint (.wpt) and track (.trk) files: an 18-byte header, counted
// strings and fixed-size little-endian records.
#include "formats/import/Mapsend.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "core/document/point_entry.h"
#include "core/io/byte_reader.h"
#include "core/text/number_format.h"
#include "core/text/text_encoding.h"
#include "formats/document/Symbols.h"

namespace {
constexpr std::int32_t kWaypointKind = 1;
constexpr std::int32_t kTrackKind = 2;
constexpr std::size_t kTrackPointSize = 28;
constexpr std::size_t kWaypointRecordSize = 30;

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

const char* const kTruncated = "The MapSend file ends inside a record: what came before it was read.";

// The native waypoint file has always taken the altitude's value unchanged
// for its feet, in single precision; none where that is no real altitude.
float NativeFeet(double value)
{
    constexpr double kHighestFeet = kHighestElevationMetres * kFeetPerMetre;
    return std::isfinite(value) && std::fabs(value) <= kHighestFeet ? static_cast<float>(value) : -777.0f;
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

// The routes after the waypoints: a count, then per route its name, number
// and count of points, each point its name, waypoint number, position and
// symbol. A point takes what the waypoint of its name holds beside these.
// False when the file ends inside them.
bool ReadRoutes(ByteReader& file, Document& document, const std::map<std::string, Point>& waypoints)
{
    std::int32_t count = 0;
    if (file.at_end()) return true;
    if (!file.i32(count)) return false;
    for (std::int32_t r = 0; r < count; ++r) {
        Route route = document.NewRoute();
        route.info.name = TextAsRead(ReadCountedString(file), false);
        std::int32_t number = 0, points = 0;
        if (!file.i32(number) || !file.i32(points)) return false;
        route.info.number = number;
        for (std::int32_t k = 0; k < points; ++k) {
            const std::string name = TextAsRead(ReadCountedString(file), false);
            std::int32_t index = 0;
            double longitude = 0, negatedLatitude = 0;
            std::uint8_t symbol = 0;
            if (!file.i32(index) || !file.f64(longitude) || !file.f64(negatedLatitude) || !file.u8(symbol))
                return false;
            const auto waypoint = waypoints.find(name);
            Point p = waypoint != waypoints.end() ? waypoint->second : Point{};
            p.name = name;
            p.latitude = -negatedLatitude;
            p.longitude = longitude;
            p.symbolCode = symbol;
            p.symbol = SymbolNameOfCode(symbol);
            route.points.push_back(p);
        }
        document.routes.push_back(std::move(route));
    }
    return true;
}

ReadResult ReadMapsendTrackFile(const InputSource& source, const ReadOptions& options)
{
    ByteReader file = source.ReadBytes();
    const MapsendHeader header = ReadHeader(file);
    // A file of the other kind, or of no MapSend kind, is refused: nothing is
    // written over an output that may hold what the user wants to keep.
    if (header.kind != kTrackKind) throw InputRefused("This is not a Track file");
    ReadResult result = NewReadResult(options);
    Track track = result.document.NewTrack();
    track.info.name = TextAsRead(ReadCountedString(file), false);
    std::int32_t count = 0;
    if (!file.i32(count)) result.findings.Add(FindingKind::Truncated, kTruncated);
    const std::size_t trailer = header.version >= 3 ? 1 : 0;
    PointEntry entry(track.points, result.findings);
    // The count only bounds the loop: a file that ends early (or a count far
    // beyond its size) ends with the last whole record, and says so.
    Point point;
    for (std::int32_t k = 0; k < count; ++k) {
        MapsendTrackPoint p;
        const bool whole = ReadTrackPoint(file, header.version, p);
        // The byte after a record (from version character 4 on): the hundredths of its second.
        std::uint8_t centiseconds = 0;
        if (!whole || (trailer > 0 && !file.u8(centiseconds))) result.findings.Add(FindingKind::Truncated, kTruncated);
        if (!whole) break;
        if (p.validity == 0) continue;
        point.latitude = -p.negatedLatitude;
        point.longitude = p.longitude;
        point.elevation = DecimalOfFloat(p.altitude);
        const bool hundredths = trailer > 0 && centiseconds < 100;
        point.time = UtcTime{p.seconds, hundredths ? centiseconds * 10'000'000 : 0};
        point.newSection = track.points.empty();
        entry.Add(point);
    }
    if (!track.points.empty()) result.document.tracks.push_back(std::move(track));
    return result;
}

ReadResult ReadMapsendWaypointFile(const InputSource& source, const ReadOptions& options)
{
    ByteReader file = source.ReadBytes();
    if (ReadHeader(file).kind != kWaypointKind) throw InputRefused("This is not a Waypoint file");
    ReadResult result = NewReadResult(options);
    std::int32_t count = 0;
    if (!file.i32(count)) result.findings.Add(FindingKind::Truncated, kTruncated);
    PointEntry entry(result.document.waypoints, result.findings);
    std::map<std::string, Point> byName;
    bool whole = true;
    for (std::int32_t k = 0; k < count; ++k) {
        const std::string name = ReadCountedString(file);
        const std::string comment = ReadCountedString(file);
        MapsendWaypointRecord r;
        if (!ReadWaypointRecord(file, r)) {
            result.findings.Add(FindingKind::Truncated, kTruncated);
            whole = false;
            break;
        }
        // The record holds no time; its altitude is taken for metres, as in the track files.
        Point w;
        w.latitude = -r.negatedLatitude;
        w.longitude = r.longitude;
        w.elevation = r.altitude;
        w.name = TextAsRead(name, false);
        w.comment = TextAsRead(comment, false);
        w.symbolCode = r.symbol;
        w.symbol = SymbolNameOfCode(r.symbol);
        w.native.feet = NativeFeet(r.altitude);
        byName.emplace(w.name, w);
        entry.Add(std::move(w));
    }
    if (whole && !ReadRoutes(file, result.document, byName)) result.findings.Add(FindingKind::Truncated, kTruncated);
    return result;
}
