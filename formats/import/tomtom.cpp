// SPDX-License-Identifier: GPL-3.0-or-later
// TomTom .ov2 point files: a stream of records, each led by a type byte.
// Type 1 is a 21-byte block that is skipped; every other type gives its own
// length after the type byte. Types 2 (a point) and 3 (a point with further
// texts) become waypoints; type 0 (a deleted point) and unknown types are skipped.
#include "formats/import/tomtom.h"

#include <cstdint>
#include <vector>

#include "core/byte_reader.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "core/text_encoding.h"
#include "formats/native/Kes.h"

namespace {
constexpr std::uint8_t kSkipperType = 1;
constexpr std::uint8_t kPointType = 2;
constexpr std::uint8_t kExtendedPointType = 3;
constexpr std::size_t kSkipperBody = 20;
constexpr std::size_t kRecordHead = 5;  // type byte and record length
constexpr std::size_t kPointHead = 13;  // type byte, record length, longitude, latitude
constexpr double kCoordinateScale = 100000.0;
const char* const kFileKind = "TomTom";
// Bytes read past the cap of a kept text, so that a character it cuts is seen whole.
constexpr std::size_t kLongestUtf8Character = 4;

// Plain ranges, not the locale's idea of a letter.
bool IsNameByte(std::uint8_t c)
{
    return c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Up to the zero byte or the end of the record; an extended point's further
// texts follow that zero byte and stay out of the name. The comma would split
// the native file's column, so the description carries a "-" instead. The
// detail keeps the text whole, as name and description: UTF-8 where it is
// UTF-8, the 8-bit code page otherwise.
void ReadPointText(ByteReader& record, WayPoints& w)
{
    std::string text;
    std::uint8_t c = 0;
    while (record.u8(c) && c != 0) {
        if (IsNameByte(c)) w.Name += static_cast<char>(c);
        w.Description += c == ',' ? '-' : static_cast<char>(c);
        if (text.size() < kLongestTextKept + kLongestUtf8Character) text += static_cast<char>(c);
    }
    w.Detail.known = true;
    std::string name = TextAsRead(text, true);
    w.Detail.texts = PointTexts{.name = name, .description = name};
}
}  // namespace

void ReadTomTomFile(const std::string& fileName, const std::string& outputName)
{
    ClearWaypoints();
    ByteReader file = ByteReader::FromFile(fileName);
    std::uint8_t type = 0;
    while (file.u8(type)) {
        if (type == kSkipperType) {
            if (file.skip(kSkipperBody)) continue;
            NoteEndInsideRecord(kFileKind);
            break;
        }
        const std::size_t start = file.position() - 1;
        const bool point = type == kPointType || type == kExtendedPointType;
        std::int32_t length = 0;
        // A length the record cannot have leaves no way to the next record:
        // the reading ends with what was read.
        const bool lengthRead = file.i32(length);
        if (!lengthRead || (length > 0 && static_cast<std::size_t>(length) > file.size() - start)) {
            NoteEndInsideRecord(kFileKind);
            break;
        }
        if (length < static_cast<std::int32_t>(point ? kPointHead : kRecordHead)) break;
        const std::size_t end = start + static_cast<std::size_t>(length);
        if (!point) {
            if (file.seek(end)) continue;
            NoteEndInsideRecord(kFileKind);  // a pipe's end shows only once it is reached
            break;
        }
        // The fields are read within the record's own bytes.
        const std::size_t fileEnd = file.limit(end);
        std::int32_t longitude = 0, latitude = 0;
        file.i32(longitude);
        file.i32(latitude);
        WayPoints w = ResetWaypoint();
        w.Longitude = longitude / kCoordinateScale;
        w.Latitude = latitude / kCoordinateScale;
        ReadPointText(file, w);
        file.limit(fileEnd);
        if (!file.seek(end)) {
            NoteEndInsideRecord(kFileKind);  // the same
            break;
        }
        if (!StoreWaypoint(std::move(w))) break;
    }
    if (!outputName.empty()) WriteWaypointFile(outputName);
}
