// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <limits>

#include "core/clock.h"
#include "core/file_io.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "formats/native/Kes.h"
#include "tests/support/test_files.h"

namespace {
const std::string kHeader =
    "Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n";
const std::string kExampleLine = "  51.500000,  -0.100000,1,    100,36000.5000000, 24-Jul-98, 12:00:00";
constexpr double kNow = 46000.25;

class TrackFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearTracks();
        PinClock(kNow, kNow);
        TimeZoneBias = 0;
    }
    void TearDown() override { UnpinClock(); }
    void Add(double lat, double lon, float altitude = kNoAltitude, double dateTime = 36000.5)
    {
        TrackPoint& p = TrackPointList[TrackProps.PointCount++];
        p.Latitude = lat;
        p.Longitude = lon;
        p.NewSection = 0;
        p.Altitude = altitude;
        p.DateTime = dateTime;
    }
    std::vector<std::string> Written()
    {
        WriteTrackFile(dir.Path("out.txt"));
        return SplitCrLf(ReadText(dir.Path("out.plt")));
    }
    void ReadPoints(const std::string& points, const std::string& trackLine = "0,2,255,T,1,0,0,255")
    {
        WriteText(dir.Path("in.plt"), kHeader + trackLine + "\r\n0\r\n" + points);
        ReadTrackFile(dir.Path("in.plt"));
    }
    TempDir dir;
};
}  // namespace

TEST_F(TrackFile, WritesTheExampleExactly)
{
    TrackProps.Name = "Track A";
    Add(51.5, -0.1, 30.48f);
    TrackPointList[0].NewSection = 1;
    WriteTrackFile(dir.Path("a"));
    EXPECT_EQ(ReadText(dir.Path("a.plt")), kHeader + "0,2,255,Track A,1,0,0,255\r\n0\r\n" + kExampleLine + "\r\n");
}

// The texts show the stored value's nearest second, rounded once: a time just
// below a half second stays in its second; years outside 1..9999 are held there.
TEST_F(TrackFile, DateAndTimeTextsOfTheNearestSecond)
{
    const double day = 36000;
    const std::vector<std::pair<double, std::string>> cases = {
        {day + (15 * 3600 + 50 * 60 + 48.4999) / 86400, "24-Jul-98, 15:50:48"},
        {day + (15 * 3600 + 50 * 60 + 48.5001) / 86400, "24-Jul-98, 15:50:49"},
        {day + 86399.6 / 86400, "25-Jul-98, 00:00:00"},
        {day + 86399.4 / 86400, "24-Jul-98, 23:59:59"},
        {EncodeDate(1999, 12, 31).value() + 0.99999999, "01-Jan-00, 00:00:00"},
        {EncodeDate(2004, 2, 28).value() + 0.9999999, "29-Feb-04, 00:00:00"},
        {-1e300, "01-Jan-01, 00:00:00"},
        {1e300, "31-Dec-99, 23:59:59"},
        {std::numeric_limits<double>::quiet_NaN(), "30-Dec-99, 00:00:00"},
    };
    for (const auto& [dateTime, texts] : cases) {
        ClearTracks();
        Add(1, 2, kNoAltitude, dateTime);
        const std::string line = Written().at(6);
        EXPECT_EQ(line.substr(line.size() - texts.size()), texts) << dateTime;
    }
}

TEST_F(TrackFile, StopsAtTheFirstEmptySlot)
{
    for (int i = 0; i < 5; ++i) Add(i, i);
    TrackPointList[3].Latitude = -777;
    const auto lines = Written();
    EXPECT_EQ(lines.size(), 6u + 3u);
    EXPECT_EQ(lines[5], "0");
}

TEST_F(TrackFile, AltitudeFeetAndMetres)
{
    Add(1, 2, -777.0f);
    Add(1, 2, 30.48f);
    const auto lines = Written();
    EXPECT_EQ(lines[6].substr(24, 12), "0,   -777,36");
    EXPECT_EQ(lines[7].substr(24, 12), "0,    100,36");
    ReadTrackFile(dir.Path("out.plt"));
    EXPECT_EQ(TrackPointList[0].Altitude, -777.0f);
    EXPECT_NEAR(TrackPointList[1].Altitude, 100 / 3.2808, 1e-4);
}

TEST_F(TrackFile, DescriptionFallsBackToTheFileName)
{
    ReadPoints("", "0,2,255,,1,0,0,255");
    EXPECT_EQ(TrackProps.Description, "in.plt");
    EXPECT_EQ(TrackProps.Name, "");
    EXPECT_EQ(Written()[4], "0,2,255,,1,0,0,255");
    ReadPoints("", "0,2,255,  My walk ,1");
    EXPECT_EQ(TrackProps.Description, "My walk");
}

TEST_F(TrackFile, PointCountLineIsNotUsed)
{
    std::string points;
    for (int i = 0; i < 10; ++i) points += "1,2\r\n";
    WriteText(dir.Path("n.plt"), kHeader + "0,2,255,T\r\n  \r\n 7 extra\r\n" + points);
    ReadTrackFile(dir.Path("n.plt"));
    EXPECT_EQ(TrackProps.PointCount, 10);

    WriteText(dir.Path("bad.plt"), kHeader + "0,2,255,T\r\nseven\r\n1,2\r\n");
    EXPECT_THROW(ReadTrackFile(dir.Path("bad.plt")), FileError);
}

TEST_F(TrackFile, ShortAndEmptyLinesTakeDefaults)
{
    ReadPoints("51.5,-0.1\r\n\r\n");
    ASSERT_EQ(TrackProps.PointCount, 2);
    EXPECT_EQ(TrackPointList[0].NewSection, 0);
    EXPECT_EQ(TrackPointList[0].Altitude, -777.0f);
    EXPECT_EQ(TrackPointList[0].DateTime, kNow);
    EXPECT_EQ(TrackPointList[1].Latitude, 0);
    EXPECT_EQ(TrackPointList[1].DateTime, kNow);
}

TEST_F(TrackFile, CurrentTimeDefaultIsUtc)
{
    PinClock(kNow + 60.0 / 1440.0, kNow);  // an hour east of Greenwich
    ReadPoints("1,2\r\n");
    EXPECT_NEAR(TrackPointList[0].DateTime, kNow, 1e-9);
}

TEST_F(TrackFile, DateTextsWhenColumnFiveIsZero)
{
    ReadPoints("1,2,0,0,0,241298,235960\r\n"
               "1,2,0,0,0,0101,120000\r\n"
               "1,2,0,0,0,010149,000000\r\n"
               "1,2,0,0,0,010150,000000\r\n"
               "1,2,0,0,0,300298,000000\r\n"
               "1,2,0,0,0,010100,000058.5\r\n"
               "1,2,0,0,0,010100,000059.5\r\n");
    EXPECT_EQ(TrackPointList[0].DateTime, EncodeDate(1998, 12, 25).value());
    EXPECT_EQ(TrackPointList[1].DateTime, kNow);
    EXPECT_EQ(TrackPointList[2].DateTime, EncodeDate(2049, 1, 1).value());
    EXPECT_EQ(TrackPointList[3].DateTime, EncodeDate(1950, 1, 1).value());
    EXPECT_EQ(TrackPointList[4].DateTime, kNow);  // 30 February
    EXPECT_NEAR(TrackPointList[5].DateTime, EncodeDate(2000, 1, 1).value() + 58 / 86400.0, 1e-9);
    EXPECT_NEAR(TrackPointList[6].DateTime, EncodeDate(2000, 1, 1).value() + 60 / 86400.0, 1e-9);

    EXPECT_THROW(ReadPoints("1,2,0,0,0,ab0101,000000\r\n"), ConversionError);
}

TEST_F(TrackFile, ReadsAtMostOneHundredThousandPoints)
{
    std::string points;
    for (int i = 0; i < 150000; ++i) points += "1,2,0,5,1\r\n";
    ReadPoints(points);
    EXPECT_EQ(TrackProps.PointCount, 100000);
}

TEST_F(TrackFile, HundredThousandPointsReadAndWrittenBackUnchanged)
{
    for (int i = 0; i < 100000; ++i) {
        Add(45 + i * 1e-5, 7 - i * 1e-5, static_cast<float>(i % 500) / 3.2808f, 45000 + i / 1440.0);
        TrackPointList[i].NewSection = i % 1000 == 0;
    }
    TrackProps.Name = "long";
    WriteTrackFile(dir.Path("first.plt"));
    ReadTrackFile(dir.Path("first.plt"));
    TrackProps.Name = TrackProps.Description;
    WriteTrackFile(dir.Path("second.plt"));
    EXPECT_EQ(TrackProps.PointCount, 100000);
    const auto first = SplitCrLf(ReadText(dir.Path("first.plt")));
    const auto second = SplitCrLf(ReadText(dir.Path("second.plt")));
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) ASSERT_EQ(first[i], second[i]) << "line " << i + 1;
}
