// SPDX-License-Identifier: GPL-3.0-or-later
// What the .mps and .gdb readers do alike beyond the byte layout: reads that
// stop at the end of the file, the texts as the file holds them, and where
// what they read goes in the document.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/convert/format_rows.h"
#include "core/document/point_entry.h"
#include "core/io/byte_reader.h"
#include "core/text/text_encoding.h"
#include "formats/import/Mapsource.h"

namespace mapsource {

inline constexpr std::size_t kRecordHeaderSize = 5;              // body length and type letter
inline constexpr std::size_t kDetailTextCap = kLongestTextKept;  // of one text kept as the file holds it
// Bytes of a text read for it: a UTF-8 character that the cap cuts is seen whole.
inline constexpr std::size_t kDetailBytes = kDetailTextCap + 3;

// Reads that fail move to the end of the file, so that a record cut short can
// never be continued from a wrong offset by a later, smaller read.
inline bool AtEnd(ByteReader& file)
{
    file.seek(file.size());
    return false;
}
inline bool Read(ByteReader& file, std::uint8_t& v) { return file.u8(v) || AtEnd(file); }
inline bool Read(ByteReader& file, std::int32_t& v) { return file.i32(v) || AtEnd(file); }
inline bool Read(ByteReader& file, std::uint32_t& v) { return file.u32(v) || AtEnd(file); }
inline bool Read(ByteReader& file, double& v) { return file.f64(v) || AtEnd(file); }
inline bool Skip(ByteReader& file, std::size_t count) { return file.skip(count) || AtEnd(file); }

// A text of the file as UTF-8, of at most kDetailTextCap of its bytes:
// version 109 .gdb files write UTF-8 (a text that is not valid UTF-8 is read
// as Windows-1252), older files Windows-1252.
std::string DetailText(std::string_view bytes, bool utf8);

inline UtcTime FileTime(std::uint32_t seconds) { return UtcTime{static_cast<std::int64_t>(seconds), 0}; }

// How the native files take a MapSource file's altitudes, by the rules its
// readers have always had: in whole feet, where a result of 0 is none.
namespace native {
inline constexpr float kNoFeet = -777.0f;
inline constexpr double kFeetPerMetre = 3.2808;

// .mps: the metres are rounded first, then the feet.
float MpsFeet(double metres);
// .gdb: the feet are rounded once.
float GdbFeet(double metres);
// A .gdb waypoint's depth where it has no altitude: 0 ft is not none here.
float DepthFeet(double metres);
}  // namespace native

// Where a reader puts what it reads: waypoints, routes and tracks into the
// document as the mode asks, findings beside it. A route point takes what the
// first waypoint of its name read before its route holds; the waypoints are
// looked up once the file is read, so that only the names the routes use
// are held in memory.
class DocumentBuilder {
public:
    // A list stops one point past what the output takes (ReadOptions).
    DocumentBuilder(ReadResult& result, const ReadOptions& options);

    bool TakesWaypoints() const { return mode_ != ReadMode::Tracks; }
    bool TakesTracks() const { return mode_ != ReadMode::Waypoints; }

    // A waypoint at 0,0, a position that was never set, is left out.
    void AddWaypoint(const Point& point);
    // A route; the points that follow go to it, each with its own name and
    // position, the rest of what it holds coming from its waypoint.
    void StartRoute(GroupInfo info);
    // A point of the route and the link points of the road from it to the next.
    void AddRoutePoint(const Point& point, const std::vector<Point>& links);
    // A track to which the points that follow go; the first starts its section.
    void StartTrack(GroupInfo info);
    void AddTrackPoint(Point& point);

    // The file ends inside a record, or inside the header before the records.
    void NoteEndInsideRecord();
    void Notice(std::string message) { result_.findings.Add(FindingKind::Notice, std::move(message)); }
    // A track passed over: the mode takes waypoints.
    void NoteTrackLeftOut() { ++result_.tracksLeftOut; }
    void NoteWaypointLeftOut() { ++result_.waypointsLeftOut; }
    void NoteRouteLeftOut() { ++result_.routesLeftOut; }

    // Gives the route points what their waypoints hold.
    void Finish();

private:
    ReadResult& result_;
    const ReadMode mode_;
    const std::int64_t trackPointsKept_;
    PointEntry waypoints_;
    std::optional<PointEntry> track_;  // of the last track
    std::int64_t waypointCount_ = 0;
    // For each route: how many waypoints were read before it.
    std::vector<std::int64_t> waypointsBefore_;
    // The names route points use, with the first waypoint of that name and its place.
    struct Named {
        std::int64_t place = -1;
        Point waypoint;
    };
    std::unordered_map<std::string, Named> routeNames_;
    bool endNoted_ = false;
};

// The versions whose layout a reader knows, and what it says of the others.
struct Versions {
    std::uint16_t oldest, newest;  // read without a word between these
    const char* obsolete;          // the message of a version below the oldest
    const char* later;             // the notice of a version above the newest
};
// Refuses a version below the oldest; notes one above the newest.
void CheckVersion(std::uint16_t version, const Versions& versions, DocumentBuilder& builder);

}  // namespace mapsource
