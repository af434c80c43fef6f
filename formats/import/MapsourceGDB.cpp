// SPDX-License-Identifier: GPL-3.0-or-later
// The MapSource .gdb reader: waypoints in waypoint mode, routes in both
// modes, one native track file per track in track mode.
#include "formats/import/MapsourceGDB.h"

#include <algorithm>
#include <optional>

#include "core/byte_reader.h"
#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/text_encoding.h"
#include "formats/import/Mapsource.h"
#include "formats/import/MapsourceShared.h"

namespace {
using namespace mapsource;

constexpr std::uint16_t kOldestVersion = 107;
constexpr std::uint16_t kNewestVersion = 108;
constexpr std::uint16_t kFacilityVersion = 108;  // facility waypoints; 8 bytes that end a route point
constexpr std::uint16_t kUtf8Version = 109;      // UTF-8 texts, a list in the waypoint, 2 more route point bytes
constexpr std::uint8_t kThreeTextHeader = 'h';   // header letters below it carry a fourth text
constexpr std::size_t kTimeFieldSize = 5;        // time flag and time
constexpr std::size_t kWaypointEndPadding = 6;   // zero bytes after a waypoint's time, from version 109 on

// The bytes that end a route point after its bounds (all 0xFF but the last two of version 109).
std::size_t RoutePointEnd(std::uint16_t version)
{
    return version < kFacilityVersion ? 0 : version < kUtf8Version ? 8 : 10;
}

// The 27 bytes between a waypoint's name and its position hold a zero-terminated
// text at offset 4 (a region code such as "ED"). It is empty in most files; a
// text in it lengthens the gap, and a fixed 27 would misread the position.
bool SkipNameGap(ByteReader& file)
{
    std::uint8_t c = 1;
    if (!Skip(file, 4)) return false;
    while (c != 0)
        if (!Read(file, c)) return false;
    return Skip(file, 22);
}

// A text used without its terminating zero byte; one cut off by the end of the file keeps every byte.
std::string UsedText(ByteReader& file)
{
    std::string text = ReadZeroTerminated(file);
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

// The reads below fail without moving to the end: the waypoint's tail is
// checked for reaching its record's end exactly.
bool SkipText(ByteReader& body)
{
    std::uint8_t c = 1;
    while (c != 0)
        if (!body.u8(c)) return false;
    return true;
}

bool SkipTextList(ByteReader& body)
{
    std::uint32_t count = 0;
    if (!body.u32(count)) return false;
    for (std::uint32_t k = 0; k < count; ++k)
        if (!SkipText(body)) return false;
    return true;
}

bool OptionalDouble(ByteReader& body, std::optional<double>& value)
{
    std::uint8_t flag = 0;
    double v = 0;
    if (!body.u8(flag)) return false;
    if (flag != 1) return true;
    if (!body.f64(v)) return false;
    value = v;
    return true;
}

// What a waypoint record holds after its symbol code.
struct WaypointTail {
    std::optional<double> depth;  // metres
    std::optional<std::uint32_t> seconds;
};

// A double that is in the file only when the flag before it is 1.
bool FlaggedDouble(ByteReader& file, double& value)
{
    std::uint8_t flag = 0;
    return Read(file, flag) && flag == 1 && Read(file, value);
}

double DayCount(std::uint32_t seconds) { return kUnixEpochDay + seconds / 60.0 / 60.0 / 24.0; }

// Whole feet where a result of 0 means no altitude.
std::int32_t NonZeroFeet(double metres)
{
    const std::int32_t feet = WholeFeet(metres);
    return feet == 0 ? kNoFeet : feet;
}

class GdbReader {
public:
    GdbReader(ByteReader& file, const std::string& outputName, std::uint16_t version)
        : file_(file), outputName_(outputName), version_(version), utf8_(version >= kUtf8Version),
          trackMode_(TrackMode())
    {}

    void ReadRecords()
    {
        while (!file_.at_end()) {
            std::int32_t length = 0;
            const std::uint8_t type = ReadRecordHeaderOf(file_, length);
            if (length < 0) return;     // damaged framing: nothing after it can be trusted
            if (length == 0) continue;  // an empty body
            const std::size_t size = static_cast<std::size_t>(length);
            const std::size_t end = file_.position() + size;
            const bool whole = size <= file_.remaining();
            // The fields are read within the record's own bytes: a damaged
            // length can then never make one record rescan the rest of the file.
            ByteReader body(file_.rest().first(std::min(size, file_.remaining())));
            if (type == 'W' && !ReadWaypoint(body, whole)) return;
            if (type == 'R') ReadRoute(body);
            if (type == 'T') ReadTrack(body);
            if (!file_.seek(end)) return;
        }
    }

private:
    // Version 109 writes UTF-8; the store holds single-byte text.
    std::string Text(ByteReader& body) const
    {
        std::string text = UsedText(body);
        return utf8_ ? Utf8ToLegacy(text) : text;
    }

    // False once the waypoint table is full.
    bool ReadWaypoint(ByteReader& body, bool whole)
    {
        const std::string name = ReadCleanName(body);
        std::int32_t lat = 0, lon = 0;
        const bool positioned = SkipNameGap(body) && Read(body, lat) && Read(body, lon);
        double metres = 0;
        const bool altitude = FlaggedDouble(body, metres);
        std::int32_t feet = altitude ? NonZeroFeet(metres) : kNoFeet;
        std::string comment = Text(body);
        std::replace(comment.begin(), comment.end(), ',', ' ');
        double proximity = 0;
        FlaggedDouble(body, proximity);
        std::int32_t column13 = 0, unused = 0, code = -1;
        if (Read(body, column13) && Read(body, unused)) Read(body, code);
        const WaypointTail tail = ReadWaypointTail(body, whole);
        if (tail.depth && !altitude) feet = WholeFeet(*tail.depth);

        if (trackMode_ || !positioned) return true;
        std::optional<WayPoints> w = NewWaypoint(lat, lon, name, comment);
        if (!w) return true;
        w->DateTime = tail.seconds ? DayCount(*tail.seconds) : StampTimeOfReading();
        w->Altitude = static_cast<float>(feet);
        w->Column14 = RoundHalfEven<std::int32_t>(proximity, 0);
        w->Column13 = column13;
        w->Symbol = LookupMapsourceSymbol(code);
        return StoreWaypoint(std::move(*w));
    }

    // The fields after the symbol code end exactly at the record's end in an
    // ordinary waypoint. Facility and address waypoints (from version 108 on)
    // hold texts there instead; of those only the last five bytes are known:
    // the time flag and the time.
    WaypointTail ReadWaypointTail(ByteReader& body, bool whole) const
    {
        const std::size_t start = body.position();
        WaypointTail tail;
        std::optional<double> notUsed;
        std::uint8_t timeFlag = 0;
        std::uint32_t seconds = 0;
        const bool read = body.skip(4) && OptionalDouble(body, tail.depth) && body.skip(2 + 4) && SkipText(body) &&
                          (utf8_ ? SkipTextList(body) : SkipText(body)) && body.skip(2) &&
                          OptionalDouble(body, notUsed) && body.u8(timeFlag) && (timeFlag != 1 || body.u32(seconds)) &&
                          body.skip(utf8_ ? kWaypointEndPadding : 0);
        if ((read && body.at_end()) || version_ < kFacilityVersion) {
            if (read && timeFlag == 1) tail.seconds = seconds;
            return tail;
        }
        tail = {};
        if (whole && body.size() >= start + kTimeFieldSize) {
            body.seek(body.size() - kTimeFieldSize);
            if (body.u8(timeFlag) && timeFlag == 1 && body.u32(seconds)) tail.seconds = seconds;
        }
        return tail;
    }

    // Routes past the table's last slot are counted and dropped; the record
    // end keeps the reading aligned without parsing them.
    void ReadRoute(ByteReader& body)
    {
        const int r = nextRoute_++;
        if (r > kMaxRouteIndex) {
            if (!trackMode_) NoteCut(Cut::Routes, kMaxRouteIndex);
            return;
        }
        RouteRecord& route = RouteList[r];
        RouteCount = r;
        route.Name = Text(body);
        route.Description = route.Name;
        route.PointCount = 0;
        Skip(body, 2);
        ReadPositionBlock(body);
        ReadPositionBlock(body);
        std::uint32_t count = 0;
        Read(body, count);
        for (std::uint32_t k = 1; k <= count && !body.at_end(); ++k) {
            const bool kept = k <= static_cast<std::uint32_t>(kMaxRoutePoints);
            if (!kept && !trackMode_) NoteCut(Cut::RoutePointsOfEachRoute, kMaxRoutePoints);
            const std::string name = ReadCleanName(body);
            if (kept) {
                route.PointCount = static_cast<std::int32_t>(k);
                route.Points[static_cast<int>(k)].Number = static_cast<std::int32_t>(k);
                route.Points[static_cast<int>(k)].Name = name;
            }
            std::uint32_t links = 0;
            if (SkipNameGap(body) && Skip(body, 19)) Read(body, links);
            // Each point takes its own first link point. The last point takes
            // the final link point of the point before it: the link points
            // trace the way to the next point, so that is where they end.
            PositionBlock last;
            std::uint32_t read = 0;
            for (; read < links; ++read) {
                const PositionBlock block = ReadPositionBlock(body);
                if (!block.Whole) break;
                if (read == 0 && k < count) SetPosition(route, k, block);
                last = block;
            }
            if (links >= 2 && read == links && k + 1 == count) SetPosition(route, k + 1, last);
            // 0: the two position blocks of the leg's bounds follow; the last point has 1 and none.
            std::uint8_t bounded = 1;
            if (Read(body, bounded) && bounded == 0) {
                ReadPositionBlock(body);
                ReadPositionBlock(body);
            }
            Skip(body, RoutePointEnd(version_));
        }
    }

    static void SetPosition(RouteRecord& route, std::uint32_t k, const PositionBlock& block)
    {
        if (k > static_cast<std::uint32_t>(kMaxRoutePoints)) return;
        RouteWpRecord& p = route.Points[static_cast<int>(k)];
        p.Latitude = SemicirclesToDegrees(block.Latitude);
        p.Longitude = SemicirclesToDegrees(block.Longitude);
        p.Altitude = static_cast<float>(block.Feet);
    }

    void ReadTrack(ByteReader& body)
    {
        TrackProps.Name = Text(body);
        TrackProps.PointCount = 0;
        std::uint32_t count = 0;
        if (Skip(body, 5)) Read(body, count);
        for (std::uint32_t k = 0; k < count; ++k) {
            std::int32_t lat = 0, lon = 0;
            if (!Read(body, lat) || !Read(body, lon)) break;
            double metres = 0, depth = 0, notUsed = 0;
            const bool altitude = FlaggedDouble(body, metres);
            std::uint8_t timeFlag = 0;
            std::uint32_t seconds = 0;
            const bool timed = Read(body, timeFlag) && timeFlag == 1 && Read(body, seconds);
            const bool hasDepth = FlaggedDouble(body, depth);
            FlaggedDouble(body, notUsed);
            const float pointMetres = altitude   ? FeetToTrackMetres(NonZeroFeet(metres))
                                      : hasDepth ? MetresAsFloat(depth)
                                                 : kNoAltitude;
            const TrackPoint p{SemicirclesToDegrees(lat), SemicirclesToDegrees(lon), TrackProps.PointCount == 0 ? 1 : 0,
                               pointMetres, timed ? DayCount(seconds) : StampTimeOfReading()};
            // The rest of a full track is left to the record end.
            if (!StoreTrackPointOfTrack(p, kMaxTrackSlot + 1, trackMode_)) break;
        }
        if (trackMode_) HandOverNextTrack(outputName_, nextTrack_);
    }

    ByteReader& file_;
    const std::string& outputName_;
    const std::uint16_t version_;
    const bool utf8_;
    const bool trackMode_;
    int nextTrack_ = 1;
    int nextRoute_ = 1;
};
}  // namespace

std::string ReadZeroTerminated(ByteReader& file)
{
    std::string text;
    std::uint8_t c = 0;
    while (file.u8(c)) {
        text.push_back(static_cast<char>(c));
        if (c == 0) break;
    }
    return text;
}

PositionBlock ReadPositionBlock(ByteReader& file)
{
    PositionBlock block;
    block.Whole = Read(file, block.Latitude) && Read(file, block.Longitude);
    double metres = 0;
    if (block.Whole && FlaggedDouble(file, metres)) block.Feet = NonZeroFeet(metres);
    return block;
}

void ReadMapsourceGdbFile(const std::string& fileName, const std::string& outputName)
{
    ClearWaypoints();
    ClearRoutes();
    ClearTracks();
    ByteReader file = ByteReader::FromFile(fileName);

    // Signature and header record; a file too short for the version counts as obsolete.
    std::uint8_t headerType = 0;
    std::uint16_t version = 0;
    if (file.skip(6 + 4) && file.u8(headerType)) file.u16(version);
    if (version < kOldestVersion) {
        RejectObsolete("The file is created by an obsolete version of MapSource. MapSource 6 or later is required.");
        return;
    }
    if (version > kNewestVersion)
        Front().ShowMessage("The file is created by a version of MapSource later than 6.5. Result from this version "
                            "may be unpredictable.");

    bool headerWhole = Skip(file, 7);
    const int texts = headerType < kThreeTextHeader ? 4 : 3;
    for (int t = 0; t < texts && headerWhole; ++t) headerWhole = ReadZeroTerminated(file).ends_with('\0');
    if (!headerWhole) NoteEndInsideRecord(kFileKind);

    GdbReader(file, outputName, version).ReadRecords();
}
