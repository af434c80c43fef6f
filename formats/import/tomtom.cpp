// TomTom .ov2 point files: a stream of records, each led by a type byte.
// Type 1 is a 21-byte block that is skipped; every other type is a point.
#include "formats/import/tomtom.h"

#include <array>
#include <cstdint>
#include <vector>

#include "core/byte_reader.h"
#include "core/file_io.h"
#include "core/store.h"
#include "formats/native/Kes.h"

namespace {
constexpr std::uint8_t kSkipperType = 1;
constexpr std::size_t kSkipperBody = 20;
constexpr std::size_t kPointHead = 12;  // record length (unused), longitude, latitude
constexpr double kCoordinateScale = 100000.0;

// Plain ranges, not the locale's idea of a letter.
bool IsNameByte(std::uint8_t c)
{
    return c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Up to the zero byte or the end of the file. The comma would split the
// native file's column, so the description carries a "-" instead.
void ReadPointText(ByteReader& file, WayPoints& w)
{
    std::uint8_t c = 0;
    while (file.u8(c) && c != 0) {
        if (IsNameByte(c)) w.Name += static_cast<char>(c);
        w.Description += c == ',' ? '-' : static_cast<char>(c);
    }
}
}  // namespace

void ReadTomTomFile(const std::string& fileName, const std::string& outputName)
{
    ClearWaypoints();
    ByteReader file = ByteReader::FromFile(fileName);
    std::uint8_t type = 0;
    while (WaypointCount < kMaxWaypoints && file.u8(type)) {
        if (type == kSkipperType) {
            if (!file.skip(kSkipperBody)) file.seek(file.size());
            continue;
        }
        // A point cut short by the end of the file still counts; its missing bytes are zero.
        std::array<std::uint8_t, kPointHead> head{};
        file.read_some(head);
        ByteReader fields(head);
        std::int32_t longitude = 0, latitude = 0;
        fields.skip(4);
        fields.i32(longitude);
        fields.i32(latitude);
        WayPoints& w = WaypointList[++WaypointCount];
        w.Longitude = longitude / kCoordinateScale;
        w.Latitude = latitude / kCoordinateScale;
        ReadPointText(file, w);
    }
    WriteWaypointFile(outputName);
}
