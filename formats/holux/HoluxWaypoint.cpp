// SPDX-License-Identifier: GPL-3.0-or-later
// The Holux waypoint and route image (.wrt): 500 waypoint records and 20
// route records behind slot tables; written images carry no routes.
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "core/document/point_entry.h"
#include "core/io/file_io.h"
#include "core/io/file_names.h"
#include "core/text/number_format.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"
#include "core/time/clock.h"
#include "core/time/utc_time.h"
#include "formats/holux/Holux.h"
#include "formats/holux/HoluxImage.h"
#include "formats/native/KesRecords.h"

namespace {
using holux::ImageFields;

constexpr std::size_t kImageSize = 32768;
constexpr std::size_t kReadSize = 23420;  // the waypoint and route sections; the rest is padding

using holux::kWaypointSlots;
constexpr std::size_t kSlotTable = 8;
constexpr std::size_t kInUseFlags = 1008;
constexpr std::size_t kWaypointRecords = 1508;
constexpr std::size_t kWaypointRecordSize = 40;

constexpr int kRouteSlots = 20;
constexpr int kRouteReferences = 30;
constexpr std::size_t kRouteHeader = 21508;
constexpr std::size_t kRouteRecords = 21580;
constexpr std::size_t kRouteRecordSize = 92;

constexpr std::uint32_t kWaypointSignature = 0x5C38A600;
constexpr std::uint32_t kRouteSignature = 0xD87F5900;
constexpr double kSecondsPerDay = 86400.0;

std::size_t WaypointRecordAt(int r) { return kWaypointRecords + kWaypointRecordSize * static_cast<std::size_t>(r); }
std::size_t RouteRecordAt(int r) { return kRouteRecords + kRouteRecordSize * static_cast<std::size_t>(r); }

// The record's time, whole seconds of a date; none when the date bytes hold
// no date or the format's day of no time (1992-01-02, midnight).
std::optional<UtcTime> RecordTime(ImageFields& f, std::size_t record)
{
    const std::uint16_t year = f.U16(record + 30);
    const std::uint8_t month = f.U8(record + 29), day = f.U8(record + 28);
    if (year == 1992 && month == 1 && day == 2 && f.U32(record + 32) == 0) return std::nullopt;
    auto time = UtcTimeOf(year, month, day, 0, 0, 0);
    if (time) time->seconds += f.U32(record + 32);
    return time;
}

// A fixed-width text: the blanks that pad it are no part of it.
std::string TextOfField(ImageFields& f, std::size_t offset, std::size_t width)
{
    return TextAsRead(TrimRightSpaces(f.Text(offset, width)), false);
}

// The waypoints by slot, each as its slot holds it (none where the slot holds no valid record).
std::vector<std::optional<Point>> ReadWaypoints(ImageFields& f, PointEntry& entry)
{
    std::vector<std::optional<Point>> bySlot(kWaypointSlots);
    for (int s = 0; s < kWaypointSlots; ++s) {
        const int r = f.I16(kSlotTable + 2 * static_cast<std::size_t>(s));
        if (r < 0 || r >= kWaypointSlots) continue;
        const std::size_t record = WaypointRecordAt(r);
        if (f.U8(record + 38) != 1) continue;
        Point p;
        p.name = TextOfField(f, record, 8);
        p.comment = TextOfField(f, record + 8, 12);
        p.longitude = holux::FromUnits(f.I32(record + 20));
        p.latitude = -holux::FromUnits(f.I32(record + 24));
        p.time = RecordTime(f, record);
        if (entry.Add(p)) bySlot[static_cast<std::size_t>(s)] = std::move(p);
    }
    return bySlot;
}

void ReadRoutes(ImageFields& f, const std::vector<std::optional<Point>>& waypointOfSlot, Document& document)
{
    std::array<bool, kRouteSlots> taken{};
    for (int s = 0; s < kRouteSlots; ++s) {
        const int r = f.I16(kRouteHeader + 8 + 2 * static_cast<std::size_t>(s));
        if (r < 0 || r >= kRouteSlots) continue;
        if (f.U8(kRouteHeader + 48 + static_cast<std::size_t>(r)) != 0xFF) continue;
        // A record named by two slots is one route, counted once.
        if (taken[static_cast<std::size_t>(r)]) continue;
        taken[static_cast<std::size_t>(r)] = true;

        const std::size_t record = RouteRecordAt(r);
        Route& route = document.routes.emplace_back(document.NewRoute());
        route.info.name = TextOfField(f, record, 8);
        route.info.comment = TextOfField(f, record + 8, 8);
        // A count the references never reach (0 or less) takes them all.
        const int count = f.I16(record + 20);
        for (int k = 0; k < kRouteReferences; ++k) {
            const int reference = f.I16(record + 22 + 2 * static_cast<std::size_t>(k));
            if (reference < 0 || reference >= kWaypointSlots) continue;
            const auto& waypoint = waypointOfSlot[static_cast<std::size_t>(reference)];
            if (!waypoint) continue;
            route.points.push_back(*waypoint);
            if (static_cast<int>(route.points.size()) == count) break;
        }
    }
}

struct RecordDate {
    std::uint8_t day = 0, month = 0;
    std::uint16_t year = 0;
    std::uint32_t seconds = 0;
};

// Splits a day count into its calendar date and whole seconds of the day. The
// day is taken by flooring, so that a count before 1899-12-30 keeps a time of
// day within 0..86399, and seconds that round up to midnight move to the next day.
RecordDate SplitDateTime(double dateTime)
{
    constexpr double firstDay = kFirstCalendarDay;
    constexpr double lastDay = kLastCalendarDay;
    if (!std::isfinite(dateTime)) return {};
    double day = std::floor(dateTime);
    if (day < firstDay || day > lastDay) return {};
    std::uint32_t seconds = RoundHalfEven<std::uint32_t>((dateTime - day) * kSecondsPerDay, 0);
    if (seconds >= 86400) {
        seconds = 0;
        if (++day > lastDay) return {};
    }
    const CalendarTime c = DecodeDateTime(day);
    return {static_cast<std::uint8_t>(c.Day), static_cast<std::uint8_t>(c.Month), static_cast<std::uint16_t>(c.Year),
            seconds};
}

void PutWaypointRecord(std::string& image, std::size_t record, const Point& p, kes::DayCounts& times)
{
    holux::PutText(image, record, kes::NativeName(p), holux::kWaypointNameLength, ' ');
    holux::PutText(image, record + 8, kes::NativeDescription(p), holux::kWaypointTextLength, ' ');
    holux::Put<std::int32_t>(image, record + 20, holux::ToUnits(p.longitude));
    holux::Put<std::int32_t>(image, record + 24, holux::ToUnits(-p.latitude));
    const RecordDate date = SplitDateTime(times.OfWaypoint(p));
    holux::Put<std::uint8_t>(image, record + 28, date.day);
    holux::Put<std::uint8_t>(image, record + 29, date.month);
    holux::Put<std::uint16_t>(image, record + 30, date.year);
    holux::Put<std::uint32_t>(image, record + 32, date.seconds);
    holux::Put<std::uint8_t>(image, record + 38, 1);
}

// An empty route section: every slot free, every record zero.
void PutRouteHeader(std::string& image)
{
    holux::Put<std::uint32_t>(image, kRouteHeader, kRouteSignature);
    for (int s = 0; s < kRouteSlots; ++s)
        holux::Put<std::int16_t>(image, kRouteHeader + 8 + 2 * static_cast<std::size_t>(s), -1);
    holux::Put<std::uint16_t>(image, kRouteHeader + 68, 0xFFFF);
}
}  // namespace

ReadResult ReadHoluxWaypointFile(const InputSource& source, const ReadOptions& options)
{
    ReadResult result = NewReadResult(options);
    ByteReader file = source.ReadBytes();
    const std::span<const std::uint8_t> image = file.view(kReadSize);
    if (image.size() < kReadSize) result.findings.Add(FindingKind::Truncated, holux::kEndInsideRecord);
    ImageFields fields(image, kReadSize, 0);
    PointEntry entry(result.document.waypoints, result.findings);
    ReadRoutes(fields, ReadWaypoints(fields, entry), result.document);
    return result;
}

WriteResult WriteHoluxWaypointFile(const Document& document, const WriteRequest& request)
{
    WriteResult result;
    const auto held = static_cast<std::int64_t>(document.waypoints.size());
    const int n = static_cast<int>(std::min<std::int64_t>(held, kWaypointSlots));

    std::string image(kImageSize, '\0');
    holux::Put<std::uint32_t>(image, 0, kWaypointSignature);
    holux::Put<std::uint16_t>(image, 4, static_cast<std::uint16_t>(n));
    holux::Put<std::uint16_t>(image, 6, static_cast<std::uint16_t>(n == kWaypointSlots ? 0 : n));
    for (int s = 0; s < kWaypointSlots; ++s) {
        const auto slot = static_cast<std::size_t>(s);
        holux::Put<std::int16_t>(image, kSlotTable + 2 * slot, static_cast<std::int16_t>(s < n ? s : -1));
        holux::Put<std::uint8_t>(image, kInUseFlags + slot, s < n ? 0xFF : 0x00);
    }
    kes::DayCounts times(request.clock);
    int s = 0;
    for (const Point& p : document.waypoints) {
        if (s == n) break;
        PutWaypointRecord(image, WaypointRecordAt(s++), p, times);
    }
    PutRouteHeader(image);

    WriteFileSafely(request.exactNames ? request.outputName : ChangeFileExt(request.outputName, ".wrt"), image,
                    request.transaction);
    result.counts.waypoints = n;
    if (held > n)
        result.findings.Add(FindingKind::Cut,
                            "Only the first 500 waypoints are saved - this is a limitation of the wrt format.",
                            held - n);
    times.AddStamped(result.findings);
    return result;
}
