// SPDX-License-Identifier: GPL-3.0-or-later
// The MapSource .gdb reader: waypoints, routes and tracks.
#include "formats/import/MapsourceGDB.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/io/byte_reader.h"
#include "formats/import/Mapsource.h"
#include "formats/import/MapsourceRoute.h"
#include "formats/import/MapsourceShared.h"
#include "formats/import/MapsourceSymbolNames.h"

namespace {
using namespace mapsource;

constexpr Versions kVersions{
    107, 108, "The file is created by an obsolete version of MapSource. MapSource 6 or later is required.",
    "The file is created by a version of MapSource later than 6.5. Result from this version may be unpredictable."};
constexpr std::uint16_t kFacilityVersion = 108;  // 8 bytes that end a route point
constexpr std::uint16_t kUtf8Version = 109;      // UTF-8 texts, a list in the waypoint, 2 more route point bytes
constexpr std::uint8_t kThreeTextHeader = 'h';   // header letters below it carry a fourth text
constexpr std::size_t kTimeFieldSize = 5;        // time flag and time
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
    return ScanText(body, text, kDetailBytes);
}

// A counted list of texts, each followed by `after` bytes; the first is kept.
bool KeepFirstOfList(ByteReader& body, std::string& first, std::size_t after = 0)
{
    std::uint32_t count = 0;
    first.clear();
    if (!body.u32(count)) return false;
    for (std::uint32_t k = 0; k < count; ++k) {
        std::string text;
        if (!KeepText(body, text) || !body.skip(after)) return false;
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
    std::optional<double> depth, celsius;  // metres, degrees
    std::optional<std::uint32_t> seconds;
    // Bytes as the file holds them.
    std::string city, state, facility, street, description, link, phone, country, postalCode;
    std::uint16_t categories = 0;  // bit k: category k + 1
};

// The categories a waypoint is in, by the names a new file gives them.
std::vector<std::string> CategoryNames(std::uint16_t bits)
{
    std::vector<std::string> names;
    for (int k = 0; k < 16; ++k)
        if ((bits >> k) & 1) names.push_back("Category " + std::to_string(k + 1));
    return names;
}

// A double that is in the file only when the flag before it is 1.
bool FlaggedDouble(ByteReader& file, double& value)
{
    std::uint8_t flag = 0;
    return Read(file, flag) && flag == 1 && Read(file, value);
}

// How the waypoint is shown on a map (the first of the four numbers after its
// proximity): its symbol alone, with its name, or with its description. The
// files number them otherwise than the receivers do, whose first is the name.
std::string DisplayMode(std::int32_t number)
{
    constexpr const char* kModes[] = {"SymbolOnly", "SymbolAndName", "SymbolAndDescription"};
    return number >= 0 && number < 3 ? kModes[number] : "";
}

class GdbReader {
public:
    GdbReader(ByteReader& file, std::uint16_t version, DocumentBuilder& builder)
        : file_(file), utf8_(version >= kUtf8Version), builder_(builder),
          routes_({.utf8 = utf8_, .mps = false, .pointEnd = RoutePointEnd(version)}, builder)
    {}

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
            // The fields are read within the record's own bytes: a damaged
            // length can then never make one record rescan the rest of the file.
            if (type == 'W' && builder_.TakesWaypoints()) {
                // A waypoint is small, and the end of its bytes is searched for its time.
                const std::span<const std::uint8_t> bytes = file_.view(size);
                ByteReader body(bytes);
                ReadWaypoint(body, bytes, bytes.size() == size);
            } else if ((type == 'R' && builder_.TakesWaypoints()) || (type == 'T' && builder_.TakesTracks())) {
                // Routes and tracks may be long: read through the window, up to their end.
                const std::size_t fileEnd = file_.limit(end);
                if (type == 'R') routes_.ReadRoute(file_);
                if (type == 'T') ReadTrack(file_);
                file_.limit(fileEnd);
            } else if (type == 'T') {
                builder_.NoteTrackLeftOut();
            } else if (type == 'W') {
                builder_.NoteWaypointLeftOut();
            } else if (type == 'R') {
                builder_.NoteRouteLeftOut();
            }
            if (std::string_view("WRTLV").find(static_cast<char>(type)) == std::string_view::npos) ++notUnderstood_;
            if (!file_.seek(end)) return;
        }
    }

    // Records of a kind the reader does not know, and waypoints whose end it could not find.
    std::int64_t NotUnderstood() const { return notUnderstood_; }

private:
    void ReadWaypoint(ByteReader& body, std::span<const std::uint8_t> bytes, bool whole)
    {
        const std::string nameBytes = ReadTextBytes(body, kDetailBytes);
        std::int32_t lat = 0, lon = 0;
        const bool positioned = SkipNameGap(body) && Read(body, lat) && Read(body, lon);
        double metres = 0;
        const bool altitude = FlaggedDouble(body, metres);
        const std::string commentBytes = UsedText(body);
        double proximity = 0;
        const bool near = FlaggedDouble(body, proximity);
        std::int32_t display = 0, unused = 0, code = -1;
        if (Read(body, display) && Read(body, unused)) Read(body, code);
        const WaypointTail tail = ReadWaypointTail(body, bytes, whole);
        if (!positioned) return;

        Point w;
        w.latitude = SemicirclesToDegrees(lat);
        w.longitude = SemicirclesToDegrees(lon);
        if (tail.seconds) w.time = FileTime(*tail.seconds);
        w.name = DetailText(nameBytes, utf8_);
        w.comment = DetailText(commentBytes, utf8_);
        w.description = DetailText(tail.description, utf8_);
        w.symbol = MapsourceSymbolName(code);
        if (const std::string link = DetailText(tail.link, utf8_); !link.empty()) w.links.push_back({link, {}, {}});
        if (near) w.device.proximity = proximity;
        if (tail.depth) w.device.depth = *tail.depth;
        if (tail.celsius) w.device.celsius = *tail.celsius;
        DeviceDetails& d = w.device;
        const std::pair<std::string*, const std::string*> texts[] = {
            {&d.street, &tail.street}, {&d.city, &tail.city},       {&d.state, &tail.state},
            {&d.phone, &tail.phone},   {&d.country, &tail.country}, {&d.postalCode, &tail.postalCode}};
        for (const auto& [field, bytes] : texts) *field = DetailText(*bytes, utf8_);
        d.categories = CategoryNames(tail.categories);
        w.device.displayMode = DisplayMode(display);
        w.native.symbol = LookupMapsourceSymbol(code);
        if (altitude) {
            w.elevation = metres;
            w.native.feet = native::GdbFeet(metres);
        } else if (tail.depth) {
            w.native.feet = native::DepthFeet(*tail.depth);
        }
        builder_.AddWaypoint(w);
    }

    // The fields after the symbol code, in order, end exactly at the
    // record's end: the address texts (a street from version 109 on, which
    // also ends the record with a phone list, a country and a postal code),
    // the depth, a text, the link, the categories, the temperature and the
    // time. Records that end otherwise keep only their time where it can be
    // found: version 109 by the texts every waypoint ends with, others in the
    // last five bytes (the time flag and the time).
    WaypointTail ReadWaypointTail(ByteReader& body, std::span<const std::uint8_t> bytes, bool whole)
    {
        const std::size_t start = body.position();
        WaypointTail tail;
        if (ReadTailInOrder(body, tail) && body.at_end()) return tail;
        tail = {};
        if (!whole) return tail;
        if (utf8_) {
            tail.seconds = Version109Time(bytes, start);
            if (!tail.seconds) ++notUnderstood_;
        }
        std::uint8_t timeFlag = 0;
        std::uint32_t seconds = 0;
        if (!tail.seconds && body.size() >= start + kTimeFieldSize) {
            body.seek(body.size() - kTimeFieldSize);
            if (body.u8(timeFlag) && timeFlag == 1 && body.u32(seconds)) tail.seconds = seconds;
        }
        return tail;
    }

    bool ReadTailInOrder(ByteReader& body, WaypointTail& tail) const
    {
        std::uint8_t timeFlag = 0;
        std::uint32_t seconds = 0;
        bool read = KeepText(body, tail.city) && KeepText(body, tail.state) && KeepText(body, tail.facility) &&
                    body.skip(1) && OptionalDouble(body, tail.depth);
        read = read && (utf8_ ? KeepText(body, tail.street) && body.skip(5) : body.skip(6));
        read = read && KeepText(body, tail.description) &&
               (utf8_ ? KeepFirstOfList(body, tail.link) : KeepText(body, tail.link)) && body.u16(tail.categories) &&
               OptionalDouble(body, tail.celsius) && body.u8(timeFlag) && (timeFlag != 1 || body.u32(seconds));
        if (read && utf8_)
            read =
                KeepFirstOfList(body, tail.phone, 1) && KeepText(body, tail.country) && KeepText(body, tail.postalCode);
        if (read && timeFlag == 1) tail.seconds = seconds;
        return read;
    }

    void ReadTrack(ByteReader& body)
    {
        const std::string nameBytes = UsedText(body);
        GroupInfo info;
        info.name = DetailText(nameBytes, utf8_);
        builder_.StartTrack(std::move(info));
        std::uint32_t count = 0;
        if (Skip(body, 5)) Read(body, count);
        Point p;  // one for every point: only these values change
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
            p.latitude = SemicirclesToDegrees(lat);
            p.longitude = SemicirclesToDegrees(lon);
            p.elevation = altitude ? metres : kNoValue;
            p.native.feet = altitude ? std::optional(native::GdbFeet(metres)) : std::nullopt;
            p.time = timed ? std::optional(FileTime(seconds)) : std::nullopt;
            // A depth is no elevation; the native track files take it for one where there is none.
            p.depth = hasDepth ? depth : kNoValue;
            builder_.AddTrackPoint(p);
        }
    }

    ByteReader& file_;
    const bool utf8_;
    DocumentBuilder& builder_;
    RouteReader routes_;
    std::int64_t notUnderstood_ = 0;
};
}  // namespace

std::string ReadZeroTerminated(ByteReader& file)
{
    std::string text;
    if (ScanText(file, text, SIZE_MAX)) text.push_back('\0');
    return text;
}

PositionBlock ReadPositionBlock(ByteReader& file)
{
    PositionBlock block;
    block.Whole = Read(file, block.Latitude) && Read(file, block.Longitude);
    double metres = 0;
    if (block.Whole && FlaggedDouble(file, metres) && std::isfinite(metres)) block.Metres = metres;
    return block;
}

ReadResult ReadGdbFile(ByteReader& file, const ReadOptions& options)
{
    ReadResult result = NewReadResult(options);
    DocumentBuilder builder(result, options);
    // Signature and header record; a file too short for the version counts as obsolete.
    std::uint8_t headerType = 0;
    std::uint16_t version = 0;
    if (file.skip(6 + 4) && file.u8(headerType)) file.u16(version);
    // Version 109 is read exactly: it is told only when a record was not understood.
    if (version != kUtf8Version) CheckVersion(version, kVersions, builder);

    bool headerWhole = Skip(file, 7);
    const int texts = headerType < kThreeTextHeader ? 4 : 3;
    for (int t = 0; t < texts && headerWhole; ++t) headerWhole = ReadZeroTerminated(file).ends_with('\0');
    if (!headerWhole) builder.NoteEndInsideRecord();

    GdbReader reader(file, version, builder);
    reader.ReadRecords();
    if (version == kUtf8Version && reader.NotUnderstood() > 0) builder.Notice(kVersions.later);
    builder.Finish();
    result.texts.unicode = version >= kUtf8Version;
    return result;
}

ReadResult ReadMapsourceGdbFile(const InputSource& source, const ReadOptions& options)
{
    ByteReader file = source.ReadBytes();
    return ReadGdbFile(file, options);
}
