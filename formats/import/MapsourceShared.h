// SPDX-License-Identifier: GPL-3.0-or-later
// What the .mps and .gdb readers do alike beyond the byte layout: the mode
// choice, the rejection of old files, tracks handed over and altitude units.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "core/byte_reader.h"
#include "core/conversion_record.h"
#include "core/convert.h"
#include "core/file_names.h"
#include "core/frontend.h"
#include "core/number_format.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "formats/format_table.h"
#include "formats/import/Mapsource.h"
#include "formats/native/Kes.h"

namespace mapsource {

inline constexpr std::int32_t kNoFeet = -777;
inline constexpr const char* kFileKind = "MapSource";
inline constexpr std::size_t kRecordHeaderSize = 5;  // body length and type letter

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

// Stores the point as the next of the track being read; false when the track
// is full. Only a track that is written announces its cut.
inline bool StoreTrackPointOfTrack(const TrackPoint& p, int capacity, bool trackMode)
{
    if (AddTrackPoint(p, capacity)) return true;
    if (trackMode) NoteCut(Cut::TrackPointsOfEachTrack, capacity);
    return false;
}

inline bool TrackMode() { return Front().InputPosition() == Position(Input::MapsourceTracks); }

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
