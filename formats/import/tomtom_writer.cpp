// SPDX-License-Identifier: GPL-3.0-or-later
// TomTom .ov2 point files as a navigator reads them: a simple point record
// (type 2) per waypoint. The simple record's name runs to the record's end,
// so a name of any length fits it; the extended record (type 3) adds only a
// unique identifier and a field reserved for later, which no waypoint has.
// Names are in the Windows code page that navigators and other programs read
// them in, where it holds them; otherwise in UTF-8, which the reader tells
// from the code page, so that no name loses a character.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/text/text_encoding.h"
#include "formats/document/DocumentWriter.h"
#include "formats/import/tomtom.h"

namespace {
constexpr std::uint8_t kPointType = 2;
constexpr std::size_t kPointHead = 13;  // type byte, record length, longitude, latitude
constexpr double kUnitsPerDegree = 100000.0;

void AppendInt32(std::string& out, std::int32_t value)
{
    static_assert(std::endian::native == std::endian::little);  // a byte copy is the encoding
    char bytes[4];
    std::memcpy(bytes, &value, sizeof bytes);
    out.append(bytes, sizeof bytes);
}

// The code page's bytes where they hold every character and cannot be taken
// for UTF-8 when read back; otherwise the UTF-8 as it is.
std::string NameBytes(std::string_view utf8)
{
    std::string legacy = Utf8ToLegacy(utf8);
    const bool held = LegacyToUtf8(legacy) == utf8 && (IsAscii(legacy) || !IsUtf8(legacy));
    return held ? legacy : std::string(utf8);
}

// Whole 1e-5 degrees, halves away from zero; the prepared position is within
// +-180 degrees, far inside an int32.
std::int32_t Units(double degrees) { return static_cast<std::int32_t>(std::lround(degrees * kUnitsPerDegree)); }

class Ov2Document : public DocumentWriter {
public:
    Ov2Document() : DocumentWriter(static_cast<unsigned>(DocumentPart::Waypoints), "ov2") {}

protected:
    void Head(std::string&, const Metadata&) override {}
    void Foot(std::string&) override {}
    // The name up to a zero byte it may hold, which would end it in the file.
    void Waypoint(std::string& out, const Point& point) override
    {
        const std::string name = NameBytes(std::string_view(point.name).substr(0, point.name.find('\0')));
        out += static_cast<char>(kPointType);
        AppendInt32(out, static_cast<std::int32_t>(kPointHead + name.size() + 1));
        AppendInt32(out, Units(point.longitude));
        AppendInt32(out, Units(point.latitude));
        out += name;
        out += '\0';
    }
    void Route(std::string&, const ::Route&, int, PointWalk&) override {}
    void Track(std::string&, const GroupInfo&, int, const PointList&, PointWalk&) override {}
};
}  // namespace

WriteResult WriteTomTomFile(const Document& document, const WriteRequest& request)
{
    return Ov2Document().Write(document, DocumentFileName(request, ".ov2"), request.transaction);
}
