// SPDX-License-Identifier: GPL-3.0-or-later
// The MapSource .gdb reader: waypoints in waypoint mode, routes in every
// mode, one native track file per track in track mode; waypoints, routes and
// tracks in the mode that takes everything.
#include "formats/import/MapsourceGDB.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "core/byte_reader.h"
#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/text_encoding.h"
#include "formats/import/Mapsource.h"
#include "formats/import/MapsourceRoute.h"
#include "formats/import/MapsourceShared.h"
#include "formats/import/MapsourceSymbolNames.h"

namespace {
using namespace mapsource;

constexpr std::uint16_t kOldestVersion = 107;
constexpr std::uint16_t kNewestVersion = 108;
constexpr std::uint16_t kFacilityVersion = 108;  // facility waypoints; 8 bytes that end a route point
constexpr std::uint16_t kUtf8Version = 109;      // UTF-8 texts, a list in the waypoint, 2 more route point bytes
constexpr std::uint8_t kThreeTextHeader = 'h';   // header letters below it carry a fourth text
constexpr std::size_t kTimeFieldSize = 5;        // time flag and time
constexpr std::size_t kWaypointEndPadding = 6;   // zero bytes after an ordinary waypoint's time, from version 109 on
// Where a version 109 facility waypoint's end is looked for: the last bytes
// of its record, and at most this many texts in its list.
constexpr std::size_t kEndSearchSpan = 4096;
constexpr std::uint32_t kMostListedTexts = 64;

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
// checked for reaching its record's end exactly. A text keeps its first
// kDetailBytes bytes.
bool KeepText(ByteReader& body, std::string& text)
{
    text.clear();
    std::uint8_t c = 1;
    while (true) {
        if (!body.u8(c)) return false;
        if (c == 0) return true;
        if (text.size() < kDetailBytes) text.push_back(static_cast<char>(c));
    }
}

// A counted list of texts; the first is kept.
bool KeepFirstOfList(ByteReader& body, std::string& first)
{
    std::uint32_t count = 0;
    first.clear();
    if (!body.u32(count)) return false;
    for (std::uint32_t k = 0; k < count; ++k) {
        std::string text;
        if (!KeepText(body, text)) return false;
        if (k == 0) first = std::move(text);
    }
    return true;
}

// Version 109 ends a waypoint record after its time with a counted list of
// texts (phone numbers), each followed by one byte, then the country and the
// postal code: six zero bytes where all are empty, as in every ordinary
// waypoint. A facility or address waypoint holds texts of its own before its
// time, so the time is the last place within the record's final bytes where
// a time flag of 1, the time and that end fill the record exactly.
std::optional<std::uint32_t> Version109Time(std::span<const std::uint8_t> body, std::size_t from)
{
    const std::size_t start = std::max(from, body.size() > kEndSearchSpan ? body.size() - kEndSearchSpan : 0);
    ByteReader tail(body.subspan(std::min(start, body.size())));
    const std::size_t size = tail.size();
    // Where the text that starts at each place ends (its zero byte; `size`
    // when none does), so that every place is tried in steps of whole texts.
    std::vector<std::size_t> textEnd(size + 1, size);
    for (std::size_t i = size; i-- > 0;) {
        std::uint8_t c = 0;
        tail.seek(i);
        textEnd.at(i) = tail.u8(c) && c == 0 ? i : textEnd.at(i + 1);
    }
    const auto skipText = [&](std::size_t& at) {
        if (at >= size || textEnd.at(at) == size) return false;
        at = textEnd.at(at) + 1;
        return true;
    };
    for (std::size_t p = size; p-- > 0;) {
        std::uint8_t flag = 0;
        std::uint32_t seconds = 0, count = 0;
        if (!tail.seek(p) || !tail.u8(flag) || flag != 1 || !tail.u32(seconds) || !tail.u32(count)) continue;
        std::size_t at = tail.position();
        bool fits = count <= kMostListedTexts;
        for (std::uint32_t k = 0; fits && k < count; ++k) fits = skipText(at) && ++at <= size;
        if (fits && skipText(at) && skipText(at) && at == size) return seconds;
    }
    return std::nullopt;
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
    std::string description;  // bytes as the file holds them
    std::string link;
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
    GdbReader(ByteReader& file, const std::string& outputName, std::uint16_t version, ReadMode mode)
        : file_(file), outputName_(outputName), version_(version), utf8_(version >= kUtf8Version), mode_(mode),
          routes_({.utf8 = utf8_, .mps = false, .pointEnd = RoutePointEnd(version)}, mode)
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
            // The fields are read within the record's own bytes: a damaged
            // length can then never make one record rescan the rest of the file.
            if (type == 'W') {
                // A waypoint is small, and the end of its bytes is searched for its time.
                const std::span<const std::uint8_t> bytes = file_.view(size);
                ByteReader body(bytes);
                if (!ReadWaypoint(body, bytes, bytes.size() == size)) return;
            } else if (type == 'R' || type == 'T') {
                // Routes and tracks may be long: read through the window, up to their end.
                const std::size_t fileEnd = file_.limit(end);
                if (type == 'R') routes_.ReadRoute(file_);
                if (type == 'T') ReadTrack(file_);
                file_.limit(fileEnd);
            }
            if (!file_.seek(end)) return;
        }
    }

private:
    // Version 109 writes UTF-8; the store holds single-byte text.
    std::string Native(const std::string& bytes) const { return utf8_ ? Utf8ToLegacy(bytes) : bytes; }

    // False once the reading stops: the waypoint table is full in waypoint mode.
    bool ReadWaypoint(ByteReader& body, std::span<const std::uint8_t> bytes, bool whole)
    {
        std::string nameBytes;
        const std::string name = ReadCleanName(body, nameBytes, kDetailBytes);
        std::int32_t lat = 0, lon = 0;
        const bool positioned = SkipNameGap(body) && Read(body, lat) && Read(body, lon);
        double metres = 0;
        const bool altitude = FlaggedDouble(body, metres);
        std::int32_t feet = altitude ? NonZeroFeet(metres) : kNoFeet;
        const std::string commentBytes = UsedText(body);
        std::string comment = Native(commentBytes);
        std::replace(comment.begin(), comment.end(), ',', ' ');
        double proximity = 0;
        FlaggedDouble(body, proximity);
        std::int32_t column13 = 0, unused = 0, code = -1;
        if (Read(body, column13) && Read(body, unused)) Read(body, code);
        const WaypointTail tail = ReadWaypointTail(body, bytes, whole);
        if (tail.depth && !altitude) feet = WholeFeet(*tail.depth);

        if (mode_ == ReadMode::Tracks || !positioned) return true;
        std::optional<WayPoints> w = NewWaypoint(lat, lon, name, comment);
        if (!w) return true;
        w->DateTime = tail.seconds ? DayCount(*tail.seconds) : StampTimeOfReading();
        w->Altitude = static_cast<float>(feet);
        w->Column14 = RoundHalfEven<std::int32_t>(proximity, 0);
        w->Column13 = column13;
        w->Symbol = LookupMapsourceSymbol(code);
        int stored = 0;
        const bool goOn = StoreWaypointOf(std::move(*w), mode_, stored);
        if (stored == 0) return goOn;
        // Filled in place: the texts need not move with the waypoint.
        PointDetail& d = WaypointList[stored].Detail;
        d.known = true;
        d.texts = PointTexts{.name = DetailText(nameBytes, utf8_),
                             .comment = DetailText(commentBytes, utf8_),
                             .description = DetailText(tail.description, utf8_),
                             .symbol = std::string(MapsourceSymbolName(code)),
                             .link = DetailText(tail.link, utf8_)};
        if (altitude) d.values.metres = metres;
        if (tail.seconds) d.values.time = FileTime(*tail.seconds);
        routes_.NoteWaypoint(stored);
        return goOn;
    }

    // The fields after the symbol code end exactly at the record's end in an
    // ordinary waypoint. Facility and address waypoints (from version 108 on)
    // hold texts of their own there instead: version 109 ends them with the
    // time and the texts every waypoint ends with; of other versions (and of
    // records that end otherwise) only the last five bytes are known: the
    // time flag and the time.
    WaypointTail ReadWaypointTail(ByteReader& body, std::span<const std::uint8_t> bytes, bool whole) const
    {
        const std::size_t start = body.position();
        WaypointTail tail;
        std::optional<double> notUsed;
        std::uint8_t timeFlag = 0;
        std::uint32_t seconds = 0;
        const bool read = body.skip(4) && OptionalDouble(body, tail.depth) && body.skip(2 + 4) &&
                          KeepText(body, tail.description) &&
                          (utf8_ ? KeepFirstOfList(body, tail.link) : KeepText(body, tail.link)) && body.skip(2) &&
                          OptionalDouble(body, notUsed) && body.u8(timeFlag) && (timeFlag != 1 || body.u32(seconds)) &&
                          body.skip(utf8_ ? kWaypointEndPadding : 0);
        if ((read && body.at_end()) || version_ < kFacilityVersion) {
            if (read && timeFlag == 1) tail.seconds = seconds;
            return tail;
        }
        tail = {};
        if (!whole) return tail;
        if (utf8_) tail.seconds = Version109Time(bytes, start);
        if (!tail.seconds && body.size() >= start + kTimeFieldSize) {
            body.seek(body.size() - kTimeFieldSize);
            if (body.u8(timeFlag) && timeFlag == 1 && body.u32(seconds)) tail.seconds = seconds;
        }
        return tail;
    }

    void ReadTrack(ByteReader& body)
    {
        const std::string nameBytes = UsedText(body);
        TrackProps.Name = Native(nameBytes);
        TrackProps.PointCount = 0;
        TrackProps.Detail = GroupDetail{};
        TrackProps.Detail.known = true;
        TrackProps.Detail.name = DetailText(nameBytes, utf8_);
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
            TrackPoint p{SemicirclesToDegrees(lat), SemicirclesToDegrees(lon), TrackProps.PointCount == 0 ? 1 : 0,
                         pointMetres, timed ? DayCount(seconds) : StampTimeOfReading()};
            // A depth is no elevation: the detail keeps the altitude alone.
            p.Known = true;
            if (altitude) p.Values.metres = metres;
            if (timed) p.Values.time = FileTime(seconds);
            // The rest of a full track is left to the record end.
            if (!StoreTrackPointOfTrack(p, kMaxTrackSlot + 1, mode_)) break;
        }
        if (mode_ != ReadMode::Waypoints) HandOverNextTrack(outputName_, nextTrack_);
    }

    ByteReader& file_;
    const std::string& outputName_;
    const std::uint16_t version_;
    const bool utf8_;
    const ReadMode mode_;
    RouteReader routes_;
    int nextTrack_ = 1;
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

void ReadMapsourceGdbFile(const std::string& fileName, const std::string& outputName, ReadMode mode)
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

    GdbReader(file, outputName, version, mode).ReadRecords();
}
