// SPDX-License-Identifier: GPL-3.0-or-later
// The Holux waypoint and route image (.wrt): 500 waypoint records and 20
// route records behind slot tables; written images carry no routes.
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/file_names.h"
#include "core/frontend.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "core/text_encoding.h"
#include "core/text_fields.h"
#include "core/utc_time.h"
#include "formats/holux/Holux.h"
#include "formats/holux/HoluxImage.h"

namespace {
using holux::ImageFields;

constexpr std::size_t kImageSize = 32768;
constexpr std::size_t kReadSize = 23420;  // the waypoint and route sections; the rest is padding

constexpr int kWaypointSlots = 500;
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

// The record's time, whole seconds of a date; none when the date bytes hold no date.
std::optional<UtcTime> RecordTime(ImageFields& f, std::size_t record)
{
    auto time = UtcTimeOf(f.U16(record + 30), f.U8(record + 29), f.U8(record + 28), 0, 0, 0);
    if (time) time->seconds += f.U32(record + 32);
    return time;
}

// A fixed-width text: the blanks that pad it are no part of it.
std::string TextOfField(ImageFields& f, std::size_t offset, std::size_t width)
{
    return TextAsRead(TrimRightSpaces(f.Text(offset, width)), false);
}

double RecordDateTime(ImageFields& f, std::size_t record)
{
    const auto date = EncodeDate(f.U16(record + 30), f.U8(record + 29), f.U8(record + 28));
    if (!date) return StampTimeOfReading();
    return *date + f.U32(record + 32) / kSecondsPerDay;
}

// Fills the waypoints; returns, per slot, the waypoint's position in the store (0 = none).
std::array<int, kWaypointSlots> ReadWaypoints(ImageFields& f)
{
    std::array<int, kWaypointSlots> positionOfSlot{};
    for (int s = 0; s < kWaypointSlots; ++s) {
        const int r = f.I16(kSlotTable + 2 * static_cast<std::size_t>(s));
        if (r < 0 || r >= kWaypointSlots) continue;
        const std::size_t record = WaypointRecordAt(r);
        if (f.U8(record + 38) != 1) continue;
        WayPoints w = ResetWaypoint();
        w.Number = s;
        w.Name = TrimSpaces(f.Text(record, 8));
        w.Description = TrimSpaces(f.Text(record + 8, 12));
        w.Longitude = holux::FromUnits(f.I32(record + 20));
        w.Latitude = -holux::FromUnits(f.I32(record + 24));
        w.Altitude = kNoAltitude;
        w.DateTime = RecordDateTime(f, record);
        w.Detail.known = true;
        w.Detail.texts = PointTexts{.name = TextOfField(f, record, 8), .comment = TextOfField(f, record + 8, 12)};
        w.Detail.values.time = RecordTime(f, record);
        if (!AddWaypoint(std::move(w))) break;  // 500 slots never fill the table
        positionOfSlot[static_cast<std::size_t>(s)] = WaypointCount;
    }
    return positionOfSlot;
}

void ReadRoutes(ImageFields& f, const std::array<int, kWaypointSlots>& positionOfSlot)
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
        ++RouteCount;
        RouteRecord& route = RouteList[r + 1];
        route.Name = TrimSpaces(f.Text(record, 8));
        route.Description = TrimSpaces(f.Text(record + 8, 8));
        route.PointCount = 0;
        route.Detail.known = true;
        route.Detail.name = TextOfField(f, record, 8);
        route.Detail.comment = TextOfField(f, record + 8, 8);
        const int count = f.I16(record + 20);
        for (int k = 0; k < kRouteReferences; ++k) {
            const int reference = f.I16(record + 22 + 2 * static_cast<std::size_t>(k));
            if (reference < 0 || reference >= kWaypointSlots) continue;
            const int w = positionOfSlot[static_cast<std::size_t>(reference)];
            if (w == 0) continue;
            const WayPoints& waypoint = WaypointList[w];
            RouteWpRecord& point = route.Points[++route.PointCount];
            point.Number = w;
            point.Name = waypoint.Name;
            point.Longitude = waypoint.Longitude;
            point.Latitude = waypoint.Latitude;
            point.DateTime = waypoint.DateTime;
            point.Description = waypoint.Description;
            point.Detail = waypoint.Detail;
            if (route.PointCount == count) break;
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

void PutWaypointRecord(std::string& image, std::size_t record, const WayPoints& w)
{
    holux::PutText(image, record, w.Name, 8, ' ');
    holux::PutText(image, record + 8, w.Description, 12, ' ');
    holux::Put<std::int32_t>(image, record + 20, holux::ToUnits(w.Longitude));
    holux::Put<std::int32_t>(image, record + 24, holux::ToUnits(-w.Latitude));
    const RecordDate date = SplitDateTime(w.DateTime);
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

void ReadHoluxWaypointFile(const std::string& fileName)
{
    ClearWaypoints();
    ClearRoutes();
    ByteReader file = ByteReader::FromFile(fileName);
    const std::span<const std::uint8_t> image = file.view(kReadSize);
    if (image.size() < kReadSize) NoteEndInsideRecord(holux::kFileKind);
    ImageFields fields(image, kReadSize, 0);
    ReadRoutes(fields, ReadWaypoints(fields));
}

void WriteHoluxWaypointFile(const std::string& fileName)
{
    const bool dropped = WaypointCount > kWaypointSlots;
    const int n = std::clamp(WaypointCount, 0, kWaypointSlots);

    std::string image(kImageSize, '\0');
    holux::Put<std::uint32_t>(image, 0, kWaypointSignature);
    holux::Put<std::uint16_t>(image, 4, static_cast<std::uint16_t>(n));
    holux::Put<std::uint16_t>(image, 6, static_cast<std::uint16_t>(n == kWaypointSlots ? 0 : n));
    for (int s = 0; s < kWaypointSlots; ++s) {
        const auto slot = static_cast<std::size_t>(s);
        holux::Put<std::int16_t>(image, kSlotTable + 2 * slot, static_cast<std::int16_t>(s < n ? s : -1));
        holux::Put<std::uint8_t>(image, kInUseFlags + slot, s < n ? 0xFF : 0x00);
    }
    for (int s = 0; s < n; ++s) PutWaypointRecord(image, WaypointRecordAt(s), WaypointList[s + 1]);
    PutRouteHeader(image);

    WriteFileSafely(WriterFileName(fileName, ".wrt"), image);
    NoteWritten({.waypoints = n});
    if (dropped)
        Front().ShowLimitMessage("Only the first 500 waypoints are saved - this is a limitation of the wrt format.");
}
