// SPDX-License-Identifier: GPL-3.0-or-later
// A record: flags (uint16: bit 0 starts a log, bit 1 marks a waypoint), the
// time packed in a uint32 (from bit 0: seconds 6 bits, minutes 6, hours 5,
// day 5, month 4, years since 2000 6), latitude and longitude (int32, 1e-7
// degrees) and the altitude (int16, metres), all little-endian.
#include "formats/wintec/WintecTes.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "core/document/point_entry.h"
#include "core/io/byte_reader.h"
#include "core/text/read_number.h"

namespace {
constexpr std::uint16_t kLogStart = 0x0001;
constexpr std::uint16_t kWaypointMark = 0x0002;
// Divided, not multiplied by 1e-7: the nearest double to the decimal, which writes back as it is.
constexpr double kUnitsPerDegree = 1e7;
constexpr std::uint16_t kKnownFlags = kLogStart | kWaypointMark;
const char* const kTruncated = "The Wintec TES file ends inside a record: what came before it was read.";

struct Record {
    std::uint16_t flags = 0;
    std::uint32_t time = 0;
    std::int32_t latitude = 0, longitude = 0;
    std::int16_t altitude = 0;
};

bool ReadRecord(ByteReader& file, Record& r)
{
    return file.u16(r.flags) && file.u32(r.time) && file.i32(r.latitude) && file.i32(r.longitude) &&
           file.i16(r.altitude);
}

unsigned Bits(std::uint32_t word, int from, int count) { return (word >> from) & ((1u << count) - 1); }

// Nothing when the fields name no moment (a month 0, a 25th hour).
std::optional<UtcTime> TimeOf(std::uint32_t packed)
{
    const unsigned second = Bits(packed, 0, 6), minute = Bits(packed, 6, 6), hour = Bits(packed, 12, 5);
    if (second > 59 || minute > 59 || hour > 23) return std::nullopt;
    return UtcTimeOf(2000 + static_cast<int>(Bits(packed, 26, 6)), static_cast<int>(Bits(packed, 22, 4)),
                     static_cast<int>(Bits(packed, 17, 5)), static_cast<int>(hour), static_cast<int>(minute),
                     static_cast<int>(second));
}

// A position beyond the poles or the date line is none: the point is left out.
Point PointOf(const Record& r)
{
    Point p;
    p.latitude = r.latitude / kUnitsPerDegree;
    p.longitude = r.longitude / kUnitsPerDegree;
    if (!ValidPosition(p)) p.latitude = p.longitude = kNoValue;
    p.elevation = r.altitude;
    return p;
}

class TesReading {
public:
    TesReading(const ReadOptions& options, ReadResult& result)
        : result_(result), takesWaypoints_(options.mode != ReadMode::Tracks),
          takesTracks_(options.mode != ReadMode::Waypoints),
          waypoints_(result.document.waypoints, result.findings, options.waypointsKept),
          trackPointsKept_(options.trackPointsKept)
    {}

    void Take(const Record& r)
    {
        Point p = PointOf(r);
        p.time = TimeOf(r.time);
        if (!p.time) times_.Count();
        const bool usable = ValidPosition(p);
        if (r.flags & kWaypointMark) TakeWaypoint(p, usable);
        if ((r.flags & kLogStart) || !started_) StartTrack();
        if (!takesTracks_) {
            if (usable && !trackCounted_) ++result_.tracksLeftOut;
            trackCounted_ = trackCounted_ || usable;
            return;
        }
        p.newSection = result_.document.tracks.back().points.empty();
        if (!entry_->Full()) entry_->Add(p);
    }

    void Finish()
    {
        times_.AddTo(result_.findings);
        auto& tracks = result_.document.tracks;
        std::erase_if(tracks, [](const Track& t) { return t.points.empty(); });
    }

private:
    void TakeWaypoint(const Point& p, bool usable)
    {
        if (!takesWaypoints_) result_.waypointsLeftOut += usable ? 1 : 0;
        else if (!waypoints_.Full()) waypoints_.Add(p);
    }

    void StartTrack()
    {
        started_ = true;
        trackCounted_ = false;
        if (!takesTracks_) return;
        entry_.reset();
        result_.document.tracks.emplace_back(result_.document.NewTrack());
        entry_.emplace(result_.document.tracks.back().points, result_.findings, trackPointsKept_);
    }

    ReadResult& result_;
    const bool takesWaypoints_, takesTracks_;
    PointEntry waypoints_;
    std::int64_t trackPointsKept_;
    std::optional<PointEntry> entry_;
    bool started_ = false;
    bool trackCounted_ = false;  // the log's track is counted as left out
    UnreadableValues times_{"times"};
};
}  // namespace

ReadResult ReadWintecTesFile(const InputSource& source, const ReadOptions& options)
{
    ByteReader file = source.ReadBytes();
    ReadResult result = NewReadResult(options);
    TesReading reading(options, result);
    Record record;
    // Every record is read, since a later one may start another log; points
    // past what the output takes are not kept. The file has no signature: the
    // flags of its first record, which use two bits, tell it from a text or
    // another file given its extension.
    for (bool first = true; ReadRecord(file, record); first = false) {
        if (first && (record.flags & ~kKnownFlags) != 0)
            throw InputRefused("Not a Wintec TES file: its first record has flags no TES log sets.",
                               "Not a Wintec TES File");
        reading.Take(record);
    }
    if (!file.at_end()) result.findings.Add(FindingKind::Truncated, kTruncated);
    reading.Finish();
    return result;
}
