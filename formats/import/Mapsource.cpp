// SPDX-License-Identifier: GPL-3.0-or-later
// The MapSource .mps reader: waypoints and routes in waypoint mode, one
// native track file per track in track mode; waypoints, routes and tracks in
// the mode that takes everything.
#include "formats/import/Mapsource.h"

#include <algorithm>

#include "core/byte_reader.h"
#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "formats/import/MapsourceRoute.h"
#include "formats/import/MapsourceShared.h"
#include "formats/import/MapsourceSymbolNames.h"

namespace {
using namespace mapsource;

constexpr std::uint16_t kOldestVersion = 103;
constexpr std::uint16_t kNewestVersion = 105;
constexpr std::size_t kNameGap = 27;       // between a waypoint's name and its position
constexpr std::size_t kSymbolOffset = 17;  // of the symbol code within the 41 trailing bytes
constexpr std::size_t kWaypointTail = 41;
constexpr std::size_t kPointTail = 9;  // flag and double after the time, not used

// False when the file ends before the zero byte.
bool SkipZeroTerminated(ByteReader& file)
{
    std::uint8_t c = 0;
    while (file.u8(c))
        if (c == 0) return true;
    return false;
}

class MpsReader {
public:
    MpsReader(ByteReader& file, const std::string& outputName, ReadMode mode)
        : file_(file), outputName_(outputName), mode_(mode), routes_({.utf8 = false, .mps = true}, mode)
    {}

    // The records up to the end of the file, or, in waypoint mode, up to the 10000th waypoint.
    void ReadRecords()
    {
        while (!file_.at_end()) {
            std::int32_t length = 0;
            const std::uint8_t type = ReadRecordHeaderOf(file_, length);
            if (length < 0) return;     // damaged framing: nothing after it can be trusted
            if (length == 0) continue;  // an empty body
            const std::size_t size = static_cast<std::size_t>(length);
            const std::size_t end = file_.position() + size;
            bool goOn = true;
            if (type == 'W') goOn = ReadWaypoint();
            else if (type == 'T') goOn = ReadTrack(end);
            else if (type == 'R' && mode_ != ReadMode::Tracks) goOn = ReadRoute(end);
            else goOn = file_.skip(size);
            if (!goOn) return;
        }
    }

private:
    // False once the reading stops: the waypoint table is full in waypoint mode.
    bool ReadWaypoint()
    {
        std::string nameBytes;
        const std::string name = ReadCleanName(file_, nameBytes, kDetailBytes);
        std::int32_t lat = 0, lon = 0, code = -1;
        std::uint8_t flag = 0;
        double metres = 0;
        const bool positioned = Skip(file_, kNameGap) && Read(file_, lat) && Read(file_, lon);
        const bool altitude = Read(file_, flag) && Read(file_, metres) && flag == 1;
        std::string comment, commentBytes;
        std::uint8_t c = 0;
        while (file_.u8(c) && c != 0) {
            comment.push_back(c == ',' ? ' ' : static_cast<char>(c));
            if (commentBytes.size() < kDetailBytes) commentBytes.push_back(static_cast<char>(c));
        }
        if (Skip(file_, kSymbolOffset) && Read(file_, code)) Skip(file_, kWaypointTail - kSymbolOffset - 4);

        if (mode_ == ReadMode::Tracks || !positioned) return true;
        std::optional<WayPoints> w = NewWaypoint(lat, lon, name, comment);
        if (!w) return true;
        w->DateTime = StampTimeOfReading();
        w->Altitude = static_cast<float>(MpsFeet(altitude, metres));
        w->Symbol = LookupMapsourceSymbol(code);
        int stored = 0;
        const bool goOn = StoreWaypointOf(std::move(*w), mode_, stored);
        if (stored == 0) return goOn;
        // Filled in place: the texts need not move with the waypoint. The record holds no time of the waypoint.
        PointDetail& d = WaypointList[stored].Detail;
        d.known = true;
        d.texts = PointTexts{.name = DetailText(nameBytes, false),
                             .comment = DetailText(commentBytes, false),
                             .symbol = std::string(MapsourceSymbolName(code))};
        if (altitude) d.values.metres = metres;
        routes_.NoteWaypoint(stored);
        return goOn;
    }

    // False when the rest of an over-long track cannot be skipped.
    bool ReadTrack(std::size_t end)
    {
        std::string nameBytes;
        TrackProps.Name = ReadCleanName(file_, nameBytes, kDetailBytes);
        TrackProps.Detail = GroupDetail{};
        TrackProps.Detail.known = true;
        TrackProps.Detail.name = DetailText(nameBytes, false);
        std::int32_t count = 0;
        if (Skip(file_, 5)) Read(file_, count);
        TrackProps.PointCount = 0;
        bool full = false;
        // A point needs its position; the count cannot drive the loop past the end.
        for (std::int32_t k = 0; k < count && !full; ++k) {
            std::int32_t lat = 0, lon = 0;
            if (!Read(file_, lat) || !Read(file_, lon)) break;
            std::uint8_t altitudeFlag = 0, timeFlag = 0;
            double metres = 0;
            std::uint32_t seconds = 0;
            const bool altitude = Read(file_, altitudeFlag) && Read(file_, metres) && altitudeFlag == 1;
            const bool timed = Read(file_, timeFlag) && Read(file_, seconds) && timeFlag == 1;
            Skip(file_, kPointTail);
            TrackPoint p{SemicirclesToDegrees(lat), SemicirclesToDegrees(lon), TrackProps.PointCount == 0 ? 1 : 0,
                         FeetToTrackMetres(MpsFeet(altitude, metres)),
                         timed ? kUnixEpochDay + seconds / 86400.0 : StampTimeOfReading()};
            p.Known = true;
            if (altitude) p.Values.metres = metres;
            if (timed) p.Values.time = FileTime(seconds);
            full = !StoreTrackPointOfTrack(p, kMaxTrackPoints, mode_);
        }
        bool goOn = true;
        if (full) goOn = end >= file_.position() && file_.seek(end);
        if (mode_ != ReadMode::Waypoints) HandOverNextTrack(outputName_, n_);
        return goOn;
    }

    // Read within the record's own bytes, so that a damaged length cannot make
    // one route rescan the rest of the file; false when the file ends inside it.
    bool ReadRoute(std::size_t end)
    {
        const std::size_t fileEnd = file_.limit(end);
        routes_.ReadRoute(file_);
        file_.limit(fileEnd);
        return file_.seek(end);
    }

    ByteReader& file_;
    const std::string& outputName_;
    const ReadMode mode_;
    RouteReader routes_;
    int n_ = 1;  // number of the next track file
};
}  // namespace

void ReadMapsourceMpsFile(const std::string& fileName, const std::string& outputName, ReadMode mode)
{
    ClearWaypoints();
    ClearTracks();
    if (mode != ReadMode::Tracks) ClearRoutes();
    ByteReader file = ByteReader::FromFile(fileName);

    // Signature and header record; a file too short for the version counts as obsolete.
    std::uint16_t version = 0;
    if (file.skip(6 + 5)) file.u16(version);
    if (version < kOldestVersion) {
        RejectObsolete("The file is created by an obsolete version of MapSource. MapSource 4 or later is required.");
        return;
    }
    if (version > kNewestVersion)
        Front().ShowMessage("The file is created by a version of MapSource later than 4.13. Result from this version "
                            "may be unpredictable.");

    bool headerWhole = Skip(file, 7);
    for (int t = 0; t < 3; ++t) headerWhole = headerWhole && SkipZeroTerminated(file);
    if (!headerWhole) NoteEndInsideRecord(kFileKind);

    MpsReader(file, outputName, mode).ReadRecords();
}
