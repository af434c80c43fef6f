// SPDX-License-Identifier: GPL-3.0-or-later
// What the .mps and .gdb readers do alike beyond the byte layout: what each
// mode stores, the rejection of old files, tracks handed over, altitude
// units and the texts and times kept as the file holds them.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/byte_reader.h"
#include "core/conversion_record.h"
#include "core/convert.h"
#include "core/file_names.h"
#include "core/format_rows.h"
#include "core/frontend.h"
#include "core/number_format.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "core/text_encoding.h"
#include "formats/import/Mapsource.h"
#include "formats/native/Kes.h"

namespace mapsource {

inline constexpr std::int32_t kNoFeet = -777;
inline constexpr const char* kFileKind = "MapSource";
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

// Reads the next record's header, saying so when the file ends inside the
// header or inside the body it announces. A length below 0 ends the reading:
// the file's own (damaged framing) or the end met inside the header.
inline std::uint8_t ReadRecordHeaderOf(ByteReader& file, std::int32_t& length)
{
    const bool headerWhole = file.remaining() >= kRecordHeaderSize;
    const std::uint8_t type = ReadRecordHeader(file, length);
    if (!headerWhole || (length > 0 && static_cast<std::size_t>(length) > file.remaining()))
        NoteEndInsideRecord(kFileKind);
    return type;
}

// A waypoint filled with what both file kinds give it; nothing for a waypoint
// at 0,0, which marks a position that was never set.
inline std::optional<WayPoints> NewWaypoint(std::int32_t lat, std::int32_t lon, const std::string& name,
                                            const std::string& comment)
{
    const double latitude = SemicirclesToDegrees(lat);
    const double longitude = SemicirclesToDegrees(lon);
    if (latitude == 0 && longitude == 0) return std::nullopt;
    WayPoints w = ResetWaypoint();
    w.Longitude = longitude;
    w.Latitude = latitude;
    w.Name = name.empty() ? "X" : name;
    w.Description = comment;
    return w;
}

// Stores the waypoint and gives its index (0: not stored, its position being
// unusable). False when the reading stops: the table is full in waypoint
// mode. The mode that takes everything leaves out only the later waypoints
// and goes on to the routes and tracks.
inline bool StoreWaypointOf(WayPoints&& w, ReadMode mode, int& stored)
{
    stored = 0;
    const std::int32_t before = WaypointCount;
    if (AddWaypoint(std::move(w))) {
        if (WaypointCount > before) stored = WaypointCount;
        return true;
    }
    const bool goOn = mode == ReadMode::Everything;
    NoteCut(goOn ? Cut::LaterWaypoints : Cut::Waypoints, kMaxWaypoints);
    return goOn;
}

// Stores the point as the next of the track being read; false when the track
// is full. Only a track that is written announces its cut.
inline bool StoreTrackPointOfTrack(const TrackPoint& p, int capacity, ReadMode mode)
{
    if (AddTrackPoint(p, capacity)) return true;
    if (mode != ReadMode::Waypoints) NoteCut(Cut::TrackPointsOfEachTrack, capacity);
    return false;
}

// A text of the file as UTF-8, of at most kDetailTextCap of its bytes:
// version 109 .gdb files write UTF-8 (a text that is not valid UTF-8 is read
// as Windows-1252), older files Windows-1252.
std::string DetailText(std::string_view bytes, bool utf8);

inline UtcTime FileTime(std::uint32_t seconds) { return UtcTime{static_cast<std::int64_t>(seconds), 0}; }

inline void RejectObsolete(const std::string& message)
{
    Front().ShowMessage(message);
    Front().AddLine("Obsolete Mapsource File");
    ReadFailed = true;
}

// Hands the track in the store over as track n of the input and counts on.
inline void HandOverNextTrack(const std::string& outputName, int& n)
{
    HandOverTrack(outputName, n);
    ++n;
}

// The .mps rule rounds the metres first, then the feet; 0 m is none.
inline std::int32_t MpsFeet(bool present, double metres)
{
    const std::int32_t whole = present ? RoundHalfEven<std::int32_t>(metres, kNoFeet) : kNoFeet;
    if (whole == 0 || whole == kNoFeet) return kNoFeet;
    return RoundHalfEven<std::int32_t>(whole * kFeetPerMetre, kNoFeet);
}

// Any double, whatever its bit pattern, to whole feet; not a number gives -777.
inline std::int32_t WholeFeet(double metres) { return RoundHalfEven<std::int32_t>(metres * kFeetPerMetre, kNoFeet); }

// A track point keeps metres; the whole-feet value is converted back.
inline float FeetToTrackMetres(std::int32_t feet)
{
    return feet == kNoFeet ? kNoAltitude : static_cast<float>(feet / kFeetPerMetre);
}

// Metres stored as they are; a value beyond a float's range is held at its limit.
inline float MetresAsFloat(double metres)
{
    if (!std::isfinite(metres)) return kNoAltitude;
    constexpr double kLimit = 3.0e38;
    return static_cast<float>(metres < -kLimit ? -kLimit : metres > kLimit ? kLimit : metres);
}

}  // namespace mapsource
