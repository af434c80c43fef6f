// SPDX-License-Identifier: GPL-3.0-or-later
// The MapSource .mps reader: waypoints, routes and tracks.
#include "formats/import/Mapsource.h"

#include "core/io/byte_reader.h"
#include "formats/import/MapsourceRoute.h"
#include "formats/import/MapsourceShared.h"
#include "formats/import/MapsourceSymbolNames.h"

namespace {
using namespace mapsource;

constexpr Versions kVersions{
    103, 105, "The file is created by an obsolete version of MapSource. MapSource 4 or later is required.",
    "The file is created by a version of MapSource later than 4.13. Result from this version may be unpredictable."};
constexpr std::size_t kNameGap = 27;       // between a waypoint's name and its position
constexpr std::size_t kSymbolOffset = 17;  // of the symbol code within the 41 trailing bytes
constexpr std::size_t kWaypointTail = 41;
constexpr std::size_t kPointTail = 9;  // flag and double after the time, not used
// MapSource 3 files lay out their tracks as later versions do; a record that
// does not decode to its own length in that layout is not understood.
constexpr std::uint16_t kMapSource3 = 100;
constexpr const char* kUndecodedRecord =
    "The file is created by an obsolete version of MapSource and holds a record that cannot be read. MapSource 4 or "
    "later is required.";

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
    // exact: every record read must end where its length says (MapSource 3).
    MpsReader(ByteReader& file, DocumentBuilder& builder, bool exact)
        : file_(file), builder_(builder), routes_({.utf8 = false, .mps = true}, builder), exact_(exact)
    {}

    // The records up to the end of the file.
    void ReadRecords()
    {
        while (!file_.at_end()) {
            const bool headerWhole = file_.remaining() >= kRecordHeaderSize;
            std::int32_t length = 0;
            const std::uint8_t type = ReadRecordHeader(file_, length);
            if (!headerWhole || (length > 0 && static_cast<std::size_t>(length) > file_.remaining()))
                builder_.NoteEndInsideRecord();
            if (length < 0) return;     // damaged framing: nothing after it can be trusted
            if (length == 0) continue;  // an empty body
            const std::size_t size = static_cast<std::size_t>(length);
            const std::size_t end = file_.position() + size;
            bool goOn = true;
            if (type == 'W') ReadWaypoint();
            else if (type == 'T') ReadTrack();
            else if (type == 'R' && builder_.TakesWaypoints()) goOn = ReadRoute(end);
            else goOn = PassOver(type, size);
            if (type == 'W' || type == 'T') CheckDecoded(end);
            if (!goOn) return;
        }
    }

private:
    // A whole record read to somewhere else than its end was read in a layout it does not have.
    void CheckDecoded(std::size_t end)
    {
        if (exact_ && end <= file_.size() && file_.position() != end)
            throw InputRefused(kUndecodedRecord, "Obsolete Mapsource File");
    }

    bool PassOver(std::uint8_t type, std::size_t size)
    {
        if (type == 'R') builder_.NoteRouteLeftOut();
        return file_.skip(size);
    }

    // The next record follows the waypoint's fields, whatever the length says.
    void ReadWaypoint()
    {
        const std::string nameBytes = ReadTextBytes(file_, kDetailBytes);
        std::int32_t lat = 0, lon = 0, code = -1;
        std::uint8_t flag = 0;
        double metres = 0;
        const bool positioned = Skip(file_, kNameGap) && Read(file_, lat) && Read(file_, lon);
        const bool altitude = Read(file_, flag) && Read(file_, metres) && flag == 1;
        const std::string commentBytes = ReadTextBytes(file_, kDetailBytes);
        if (Skip(file_, kSymbolOffset) && Read(file_, code)) Skip(file_, kWaypointTail - kSymbolOffset - 4);
        if (positioned && !builder_.TakesWaypoints()) builder_.NoteWaypointLeftOut();
        if (!builder_.TakesWaypoints() || !positioned) return;

        // The record holds no time of the waypoint.
        Point w;
        w.latitude = SemicirclesToDegrees(lat);
        w.longitude = SemicirclesToDegrees(lon);
        w.name = DetailText(nameBytes, false);
        w.comment = DetailText(commentBytes, false);
        w.symbol = MapsourceSymbolName(code);
        w.native.symbol = LookupMapsourceSymbol(code);
        if (altitude) {
            w.elevation = metres;
            w.native.feet = native::MpsFeet(metres);
        }
        builder_.AddWaypoint(w);
    }

    // The next record follows the points the count gives, whatever the length says.
    void ReadTrack()
    {
        const bool taken = builder_.TakesTracks();
        const std::string nameBytes = ReadTextBytes(file_, kDetailBytes);
        GroupInfo info;
        info.name = DetailText(nameBytes, false);
        if (taken) builder_.StartTrack(std::move(info));
        else builder_.NoteTrackLeftOut();
        std::int32_t count = 0;
        if (Skip(file_, 5)) Read(file_, count);
        Point p;  // one for every point: only these values change
        // A point needs its position; the count cannot drive the loop past the end.
        for (std::int32_t k = 0; k < count; ++k) {
            std::int32_t lat = 0, lon = 0;
            if (!Read(file_, lat) || !Read(file_, lon)) break;
            std::uint8_t altitudeFlag = 0, timeFlag = 0;
            double metres = 0;
            std::uint32_t seconds = 0;
            const bool altitude = Read(file_, altitudeFlag) && Read(file_, metres) && altitudeFlag == 1;
            const bool timed = Read(file_, timeFlag) && Read(file_, seconds) && timeFlag == 1;
            Skip(file_, kPointTail);
            if (!taken) continue;
            p.latitude = SemicirclesToDegrees(lat);
            p.longitude = SemicirclesToDegrees(lon);
            p.elevation = altitude ? metres : kNoValue;
            p.native.feet = altitude ? std::optional(native::MpsFeet(metres)) : std::nullopt;
            p.time = timed ? std::optional(FileTime(seconds)) : std::nullopt;
            builder_.AddTrackPoint(p);
        }
    }

    // Read within the record's own bytes, so that a damaged length cannot make
    // one route rescan the rest of the file; false when the file ends inside it.
    // Where the layout is checked, a route is read past its end if its fields
    // go on, so that the check sees it.
    bool ReadRoute(std::size_t end)
    {
        const std::size_t fileEnd = exact_ ? file_.size() : file_.limit(end);
        routes_.ReadRoute(file_);
        if (!exact_) file_.limit(fileEnd);
        CheckDecoded(end);
        return file_.seek(end);
    }

    ByteReader& file_;
    DocumentBuilder& builder_;
    RouteReader routes_;
    const bool exact_;
};
}  // namespace

ReadResult ReadMpsFile(ByteReader& file, const ReadOptions& options)
{
    ReadResult result = NewReadResult(options);
    DocumentBuilder builder(result, options);
    // Signature and header record; a file too short for the version counts as obsolete.
    std::uint16_t version = 0;
    if (file.skip(6 + 5)) file.u16(version);
    if (version != kMapSource3) CheckVersion(version, kVersions, builder);

    bool headerWhole = Skip(file, 7);
    for (int t = 0; t < 3; ++t) headerWhole = headerWhole && SkipZeroTerminated(file);
    if (!headerWhole) builder.NoteEndInsideRecord();

    MpsReader(file, builder, version == kMapSource3).ReadRecords();
    builder.Finish();
    return result;
}

ReadResult ReadMapsourceMpsFile(const InputSource& source, const ReadOptions& options)
{
    ByteReader file = source.ReadBytes();
    return ReadMpsFile(file, options);
}
