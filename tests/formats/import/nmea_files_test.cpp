// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA logs as files: told from their content, however long their start
// without a fix, and read in 8-bit or 16-bit text.
#include <gtest/gtest.h>

#include "core/format_lookup.h"
#include "formats/format_table.h"
#include "formats/import/nmea.h"
#include "tests/support/document_points.h"
#include "tests/support/test_files.h"

namespace {
const std::string kFix = "$GPRMC,120000,A,4807.038,N,01131.000,E,,,230394,,\r\n";

std::string Repeated(const std::string& line, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) text += line;
    return text;
}

std::string Fixes(int count)
{
    std::string log;
    char line[96];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "$GPRMC,%02d%02d%02d,A,4807.%03d,N,01131.000,E,,,230394,,\r\n", i / 3600 % 24,
                      i / 60 % 60, i % 60, i % 1000);
        log += line;
    }
    return log;
}

bool TakenForNmea(const std::string& content)
{
    TempDir dir;
    WriteText(dir.Path("log"), content);
    for (const InputFormatRow& row : KnownFormats().inputs)
        if (row.position == Position(Input::Nmea)) return row.recognise(FileLook(dir.Path("log")));
    return false;
}

enum class Order { LittleEndian, BigEndian };

// ASCII text in 16-bit units; `unit` replaces the character '~'.
std::string Utf16(const std::string& text, Order order, bool mark, char16_t unit = u'~')
{
    std::string bytes;
    if (mark) bytes = order == Order::LittleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : text) {
        const char16_t u = c == '~' ? unit : static_cast<char16_t>(c);
        const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
        bytes += order == Order::LittleEndian ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}
}  // namespace

// A log is told by its first fix, looked for past the first few kilobytes
// while the lines are sentences, up to a bound.
TEST(NmeaFiles, ALogIsToldByItsFirstFixAfterAnyRunOfSentences)
{
    const std::string waypoint = "$GPWPL,3558.322,N,08708.082,W,GCEBB*1D\r\n";
    const std::string satellites = "$GPGSV,3,1,09,28,64,316,40,08,60,189,42,11,50,085,46,07,37,246,45*7A\n";
    const struct {
        const char* what;
        std::string content;
        bool nmea;
    } rows[] = {
        {"10,000 waypoints first", Repeated(waypoint, 10000) + kFix, true},
        {"200 satellite lines first", Repeated(satellites, 200) + kFix, true},
        {"blank lines and AIS", Repeated("\r\n!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26\r\n", 300) + kFix, true},
        {"a line of text before the fix", Repeated(waypoint, 200) + "Recorded by a logger\r\n" + kFix, false},
        {"the fix past the bound", Repeated(waypoint, (1 << 20) / 40 + 1) + kFix, false},
        {"sentences without a fix", Repeated(waypoint, 2000), false},
        {"a fix at the start", kFix + "Recorded by a logger\r\n", true},
        {"text first", "Recorded by a logger\r\n" + Repeated(waypoint, 200) + kFix, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(TakenForNmea(row.content), row.nmea);
        EXPECT_EQ(TakenForNmea(Utf16(row.content, Order::LittleEndian, true)), row.nmea);
    }
}

// Logs some Windows tools write: ASCII in 16-bit units, either byte order,
// with or without a byte-order mark.
TEST(NmeaFiles, SixteenBitLogsAreToldAndReadInEitherByteOrder)
{
    const std::string log = Fixes(60000);  // 3 MB of 16-bit text: longer than the reader's window
    for (const Order order : {Order::LittleEndian, Order::BigEndian})
        for (const bool mark : {true, false}) {
            SCOPED_TRACE(std::to_string(order == Order::LittleEndian) + std::to_string(mark));
            const std::string bytes = Utf16(log, order, mark);
            EXPECT_TRUE(TakenForNmea(bytes));
            TempDir dir;
            WriteText(dir.Path("log.nmea"), bytes);
            const ReadResult read = ReadNmeaLogFile(InputSource::File(dir.Path("log.nmea")), {});
            ASSERT_EQ(read.document.TrackPointCount(), 60000);
            EXPECT_TRUE(read.findings.Empty());
            const std::vector<Point> points = TrackPoints(read);
            EXPECT_EQ(Held(points.back()), "|||||1994-03-23T16:39:59Z");
            EXPECT_EQ(TrackPoints(ReadMemory(ReadNmeaLogFile, bytes)).size(), 60000u);
        }
}

// A unit that is not ASCII makes its sentence unreadable, as a wrong checksum
// does; an odd byte at the end is no character.
TEST(NmeaFiles, AUnitThatIsNotAsciiSkipsItsSentence)
{
    const std::string log = Fixes(3);
    const std::string marked = log.substr(0, 60) + "~" + log.substr(60);  // inside the second fix
    for (const char16_t unit : {u'\u00B0', u'\u2424', u'\u0D0A', u'\u0100', u'\uFFFF'}) {
        for (const Order order : {Order::LittleEndian, Order::BigEndian}) {
            const ReadResult read = ReadMemory(ReadNmeaLogFile, Utf16(marked, order, false, unit) + "\x01");
            EXPECT_EQ(read.document.TrackPointCount(), 2) << int(unit);
            EXPECT_EQ(read.findings.All(),
                      (std::vector<Finding>{
                          {FindingKind::Skipped, "1 sentence with a character other than ASCII was skipped", 1}}));
        }
    }
}
