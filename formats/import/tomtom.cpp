// SPDX-License-Identifier: GPL-3.0-or-later
// TomTom .ov2 point files: a stream of records, each led by a type byte.
// Type 1 is a 21-byte block that is skipped; every other type gives its own
// length after the type byte. Types 2 (a point) and 3 (a point with further
// texts) become waypoints; type 0 (a deleted point) and unknown types are skipped.
#include "formats/import/tomtom.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

#include "core/document/point_entry.h"
#include "core/io/byte_reader.h"
#include "core/text/text_encoding.h"

namespace {
constexpr std::uint8_t kSkipperType = 1;
constexpr std::uint8_t kPointType = 2;
constexpr std::uint8_t kExtendedPointType = 3;
constexpr std::size_t kSkipperBody = 20;
constexpr std::size_t kRecordHead = 5;  // type byte and record length
constexpr std::size_t kPointHead = 13;  // type byte, record length, longitude, latitude
constexpr double kCoordinateScale = 100000.0;
const char* const kTruncated = "The TomTom file ends inside a record: what came before it was read.";
// Bytes read past the cap of a kept text, so that a character it cuts is seen whole.
constexpr std::size_t kLongestUtf8Character = 4;

// Up to the zero byte or the end of the record; an extended point's further
// texts follow that zero byte and stay out of it. The text is the point's
// name and description alike: UTF-8 where it is UTF-8, the 8-bit code page
// otherwise. The native waypoint file gives it the day of no time.
void ReadPointText(ByteReader& record, Point& w)
{
    constexpr std::size_t kKept = kLongestTextKept + kLongestUtf8Character;
    std::string text;
    for (;;) {
        const std::span<const std::uint8_t> bytes = record.view(ByteReader::kMaxView);
        const auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
        const auto length = static_cast<std::size_t>(zero - bytes.begin());
        if (text.size() < kKept)
            text.append(reinterpret_cast<const char*>(bytes.data()), std::min(length, kKept - text.size()));
        record.skip(zero == bytes.end() ? length : length + 1);
        if (zero != bytes.end() || bytes.empty()) break;
    }
    w.name = TextAsRead(text, true);
    w.description = w.name;
    w.native.noDateDay = true;
}
}  // namespace

ReadResult ReadTomTomFile(const InputSource& source, const ReadOptions& options)
{
    ByteReader file = source.ReadBytes();
    ReadResult result = NewReadResult(options);
    PointEntry entry(result.document.waypoints, result.findings, options.waypointsKept);
    const auto truncated = [&] { result.findings.Add(FindingKind::Truncated, kTruncated); };
    std::uint8_t type = 0;
    while (!entry.Full() && file.u8(type)) {
        if (type == kSkipperType) {
            if (file.skip(kSkipperBody)) continue;
            truncated();
            break;
        }
        const std::size_t start = file.position() - 1;
        const bool point = type == kPointType || type == kExtendedPointType;
        std::int32_t length = 0;
        // A length the record cannot have leaves no way to the next record:
        // the reading ends with what was read.
        const bool lengthRead = file.i32(length);
        if (!lengthRead || (length > 0 && static_cast<std::size_t>(length) > file.size() - start)) {
            truncated();
            break;
        }
        if (length < static_cast<std::int32_t>(point ? kPointHead : kRecordHead)) break;
        const std::size_t end = start + static_cast<std::size_t>(length);
        if (!point) {
            if (file.seek(end)) continue;
            truncated();  // a pipe's end shows only once it is reached
            break;
        }
        // The fields are read within the record's own bytes.
        const std::size_t fileEnd = file.limit(end);
        std::int32_t longitude = 0, latitude = 0;
        file.i32(longitude);
        file.i32(latitude);
        Point w;
        w.longitude = longitude / kCoordinateScale;
        w.latitude = latitude / kCoordinateScale;
        ReadPointText(file, w);
        file.limit(fileEnd);
        if (!file.seek(end)) {
            truncated();  // the same
            break;
        }
        entry.Add(std::move(w));
    }
    return result;
}
