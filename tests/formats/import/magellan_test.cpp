// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "core/utc_time.h"
#include "formats/document/Symbols.h"
#include "formats/import/Magellan.h"
#include "tests/support/random_text.h"
#include "tests/support/test_files.h"

namespace {
constexpr double kLocalNow = 45000.75;  // 18:00 local
constexpr double kUtcNow = kLocalNow - 0.05;

class MagellanCard : public ::testing::Test {
protected:
    void SetUp() override { PinClock(kLocalNow, kUtcNow); }
    void TearDown() override { UnpinClock(); }

    std::string Write(const std::string& content)
    {
        WriteText(dir.Path("card.txt"), content);
        return dir.Path("card.txt");
    }
    void ReadWaypoints(const std::string& content) { ReadMagellanWaypointFile(Write(content)); }
    void ReadTrack(const std::string& content) { ReadMagellanTrackFile(Write(content)); }

    TempDir dir;
};

double Day(int y, int m, int d) { return *EncodeDate(y, m, d); }
double Time(int h, int m, int s, int ms = 0) { return *EncodeTime(h, m, s, ms); }
}  // namespace

TEST_F(MagellanCard, WaypointFieldsChecksumAndHemispheres)
{
    ReadWaypoints("$PMGNWPL,4807.038,N,01131.000,W,100,M,HOME,front door,a*1F\r\n"
                  "$PMGNWPL,4807.038,S,01131.000,E,100,F,CAMP,,z\r\n"
                  "$PMGNWPL,4807.038,s,01131.000\r\n"  // lower-case s stays north; no hemisphere is west
                  "$PMGNTRK,4807.038,N,01131.000,W,100,M,120000,A,,010120\r\n");
    ASSERT_EQ(WaypointCount, 3);
    const WayPoints& home = WaypointList[1];
    EXPECT_NEAR(home.Latitude, 48.1173, 1e-9);
    EXPECT_NEAR(home.Longitude, -11.516666666, 1e-8);
    EXPECT_EQ(home.Name, "HOME");
    EXPECT_EQ(home.Description, "front door");
    EXPECT_EQ(home.Symbol, 0);  // the checksum was cut, so the icon is 'a', not 'a*1F'
    EXPECT_EQ(home.Altitude, 328.0f);
    EXPECT_DOUBLE_EQ(home.DateTime, kUtcNow);
    EXPECT_EQ(home.Number, -1);

    EXPECT_NEAR(WaypointList[2].Latitude, -48.1173, 1e-9);
    EXPECT_NEAR(WaypointList[2].Longitude, 11.516666666, 1e-8);
    EXPECT_EQ(WaypointList[2].Altitude, 100.0f);
    EXPECT_EQ(WaypointList[2].Symbol, 25);

    EXPECT_NEAR(WaypointList[3].Latitude, 48.1173, 1e-9);
    EXPECT_NEAR(WaypointList[3].Longitude, -11.516666666, 1e-8);
    EXPECT_EQ(WaypointList[3].Name, "X");
    EXPECT_EQ(WaypointList[3].Altitude, kNoAltitude);
}

// As a common peer writes them: no leading zeros. Minutes keep six characters.
TEST_F(MagellanCard, PositionsWithoutLeadingZerosAreReadByValue)
{
    const struct {
        const char *latitude, *longitude;
        double expectedLatitude, expectedLongitude;
    } cases[] = {
        {"921.186", "131.000", -(9 + 21.186 / 60), 1 + 31.0 / 60},
        {"0921.18678", "00131.00099", -(9 + 21.186 / 60), 1 + 31.0 / 60},
        {"5.5", "10", -5.5 / 60, 10.0 / 60},
    };
    std::string card;
    for (const auto& c : cases) {
        card += std::string("$PMGNWPL,") + c.latitude + ",S," + c.longitude + ",E,,,P\r\n";
        card += std::string("$PMGNTRK,") + c.latitude + ",S," + c.longitude + ",E,,,120000,A,,010120\r\n";
    }
    ReadWaypoints(card);
    ReadTrack(card);
    ASSERT_EQ(WaypointCount, static_cast<int>(std::size(cases)));
    ASSERT_EQ(TrackProps.PointCount, static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].latitude);
        EXPECT_DOUBLE_EQ(WaypointList[i + 1].Latitude, cases[i].expectedLatitude);
        EXPECT_DOUBLE_EQ(WaypointList[i + 1].Longitude, cases[i].expectedLongitude);
        EXPECT_DOUBLE_EQ(TrackPointList[i].Latitude, cases[i].expectedLatitude);
        EXPECT_DOUBLE_EQ(TrackPointList[i].Longitude, cases[i].expectedLongitude);
    }
}

TEST_F(MagellanCard, WaypointAltitudeZeroIsNoneAndNullIslandIsDropped)
{
    ReadWaypoints("$PMGNWPL,0000.000,N,00000.000,E,5,M,ORIGIN\r\n"
                  "$PMGNWPL,4807.038,N,01131.000,E,0,M,ZERO\r\n"
                  "$PMGNWPL,4807.038,N,01131.000,E,12.5,m,HALF\r\n");
    ASSERT_EQ(WaypointCount, 2);
    EXPECT_EQ(WaypointList[1].Name, "ZERO");
    EXPECT_EQ(WaypointList[1].Altitude, kNoAltitude);
    EXPECT_EQ(WaypointList[2].Altitude, 39.0f);  // 12.5 rounds to 12, then 39.37 feet to 39
}

TEST_F(MagellanCard, IconCodes)
{
    ReadWaypoints("$PMGNWPL,1,N,1,E,,M,A,,a\n$PMGNWPL,1,N,1,E,,M,B,,z\n$PMGNWPL,1,N,1,E,,M,C,,ab\n"
                  "$PMGNWPL,1,N,1,E,,M,D,,xyz\n$PMGNWPL,1,N,1,E,,M,E,,\n$PMGNWPL,1,N,1,E,,M,F,, \n");
    ASSERT_EQ(WaypointCount, 6);
    const int expected[] = {0, 25, 27, 50, 0, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(WaypointList[i + 1].Symbol, expected[i]) << i;
}

TEST_F(MagellanCard, WaypointsStopAtTheStoreCapacity)
{
    std::string content;
    for (int i = 0; i < 10005; ++i) content += "$PMGNWPL,4807.038,N,01131.000,E,0,M,P" + std::to_string(i) + "\n";
    ReadWaypoints(content);
    EXPECT_EQ(WaypointCount, 10000);
    EXPECT_EQ(WaypointList[10000].Name, "P9999");
}

TEST_F(MagellanCard, TrackAltitudesSectionsAndMilliseconds)
{
    ReadTrack("$PMGNTRK,4807.038,N,01131.000,W,100,M,123456.78,A,,010120*6A\r\n"
              "$PMGNWPL,4807.038,N,01131.000,W,100,M,HOME\r\n"
              "$PMGNTRK,4807.038,N,01131.000,E,100,F,123456,A,,010120\r\n"
              "$PMGNTRK,4807.038,N,01131.000,E,0,M,123457,A,,010120\r\n"
              "$PMGNTRK,4807.038,N,01131.000,E,,M,,A,,010120\r\n"  // no time: not stored
              "$PMGNTRK,4807.038,N,01131.000,E,,M,123458,A,,010120\r\n");
    ASSERT_EQ(TrackProps.PointCount, 4);
    EXPECT_EQ(TrackProps.Name, "");
    EXPECT_NEAR(TrackPointList[0].Longitude, -11.516666666, 1e-8);
    EXPECT_FLOAT_EQ(TrackPointList[0].Altitude, static_cast<float>(328 / 3.2808));
    EXPECT_FLOAT_EQ(TrackPointList[1].Altitude, static_cast<float>(100 / 3.2808));
    EXPECT_EQ(TrackPointList[2].Altitude, 0.0f);
    EXPECT_EQ(TrackPointList[3].Altitude, kNoAltitude);
    EXPECT_DOUBLE_EQ(TrackPointList[0].DateTime, Day(2020, 1, 1) + Time(12, 34, 56, 780));
    EXPECT_DOUBLE_EQ(TrackPointList[1].DateTime, Day(2020, 1, 1) + Time(12, 34, 56));
    const int sections[] = {1, 0, 0, 0};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(TrackPointList[i].NewSection, sections[i]) << i;
}

TEST_F(MagellanCard, UndatedTrackRollsOverAtMidnight)
{
    ReadTrack("$PMGNTRK,4807.038,N,01131.000,E,,M,235950,A,,\n"
              "$PMGNTRK,4807.038,N,01131.000,E,,M,000010,A,,\n"
              "$PMGNTRK,4807.038,N,01131.000,E,,M,000020,A,,\n"
              "$PMGNTRK,4807.038,N,01131.000,E,,M,126100,A,,\n");  // minute 61: the time of day now, in UTC
    ASSERT_EQ(TrackProps.PointCount, 4);
    EXPECT_DOUBLE_EQ(TrackPointList[0].DateTime, 45000 + Time(23, 59, 50));
    EXPECT_DOUBLE_EQ(TrackPointList[1].DateTime, 45001 + Time(0, 0, 10));
    EXPECT_DOUBLE_EQ(TrackPointList[2].DateTime, 45001 + Time(0, 0, 20));
    EXPECT_DOUBLE_EQ(TrackPointList[3].DateTime, 45001.70);
}

TEST_F(MagellanCard, TrackYearsSplitAtNinety)
{
    ReadTrack("$PMGNTRK,1,N,1,E,,M,000000,A,,010199\n$PMGNTRK,1,N,1,E,,M,000000,A,,010189\n"
              "$PMGNTRK,1,N,1,E,,M,000000,A,,010190\n$PMGNTRK,1,N,1,E,,M,010000,A,,321389\n");
    ASSERT_EQ(TrackProps.PointCount, 4);
    EXPECT_DOUBLE_EQ(TrackPointList[0].DateTime, Day(1999, 1, 1));
    EXPECT_DOUBLE_EQ(TrackPointList[1].DateTime, Day(2089, 1, 1));
    EXPECT_DOUBLE_EQ(TrackPointList[2].DateTime, Day(1990, 1, 1));
    EXPECT_DOUBLE_EQ(TrackPointList[3].DateTime, 45000 + Time(1, 0, 0));  // no such date: today
}

TEST_F(MagellanCard, ATimeThatIsNotANumberEndsTheReadKeepingThePointsBefore)
{
    EXPECT_THROW(ReadTrack("$PMGNTRK,1,N,1,E,,M,120000,A,,010120\n$PMGNTRK,1,N,1,E,,M,12xx00,A,,010120\n"),
                 ConversionError);
    EXPECT_EQ(TrackProps.PointCount, 1);
}

TEST_F(MagellanCard, TrackStopsAtTheStoreCapacity)
{
    std::string content;
    for (int i = 0; i < 100005; ++i) content += "$PMGNTRK,4807.038,N,01131.000,E,,M,120000,A,,010120\n";
    ReadTrack(content);
    EXPECT_EQ(TrackProps.PointCount, 100000);
    EXPECT_EQ(TrackPointList[100000].Latitude, kNoPosition);
}

TEST_F(MagellanCard, DatedTrackFixture)
{
    ReadMagellanTrackFile(FixturePath("magellan/magellandate.log"));
    ASSERT_EQ(TrackProps.PointCount, 6);
    EXPECT_NEAR(TrackPointList[0].Latitude, 42 + 31.829 / 60, 1e-9);
    EXPECT_NEAR(TrackPointList[0].Longitude, -(88 + 7.303 / 60), 1e-9);
    EXPECT_DOUBLE_EQ(TrackPointList[0].DateTime, Day(1998, 8, 7) + Time(3, 29, 8, 380));
    EXPECT_DOUBLE_EQ(TrackPointList[2].DateTime, Day(2000, 8, 7) + Time(3, 29, 10, 380));
    EXPECT_DOUBLE_EQ(TrackPointList[5].DateTime, Day(2003, 1, 1));
    EXPECT_FLOAT_EQ(TrackPointList[0].Altitude, static_cast<float>(689 / 3.2808));
}

TEST_F(MagellanCard, RandomAndTruncatedInputsNeverCrash)
{
    const std::vector<std::string> pieces = {
        "$PMGNWPL", "$PMGNTRK", ",", ",,", "*", "*1F", "\r\n",  "\n",     "\r", "\x1A", "123456.78",
        "4807.038", "S",        "W", "M",  "F", "-",   "1e999", "010199", "  ", "ab",   "9999999999"};
    std::string valid;
    for (int i = 0; i < 1500; ++i)
        valid += "$PMGNTRK,4807.038,N,01131.000,W,100,M,123456.78,A,,010120*6A\r\n"
                 "$PMGNWPL,4807.038,N,01131.000,W,100,M,HOME,front door,ab*1F\r\n";
    for (const std::string& input : RandomTextInputs(valid, pieces, 11)) {
        for (const bool track : {false, true}) {
            try {
                if (track) ReadTrack(input);
                else ReadWaypoints(input);
                ASSERT_LE(TrackProps.PointCount, 100000);
                ASSERT_LE(WaypointCount, 10000);
            } catch (const ConversionError&) {
            } catch (const FileError&) {}
        }
    }
}

// What GPX takes: texts in full, elevations and times as written, no time invented.
TEST_F(MagellanCard, DetailKeepsWhatTheFileHolds)
{
    ReadWaypoints("$PMGNWPL,4807.038,N,01131.000,W,00001,M,Caf\xE9 am Ring,front  door,ab*1F\r\n"
                  "$PMGNWPL,4807.038,N,01131.000,W,0,M,,,\r\n"
                  "$PMGNWPL,4807.038,N,01131.000,W,10.5,F,X,,\r\n");
    ASSERT_EQ(WaypointCount, 3);
    const PointDetail& cafe = WaypointList[1].Detail;
    EXPECT_TRUE(cafe.known);
    EXPECT_EQ(cafe.texts.Unpacked().name, "Caf\u00e9 am Ring");
    EXPECT_EQ(cafe.texts.Unpacked().comment, "front  door");
    EXPECT_EQ(cafe.texts.Unpacked().symbol, SymbolName(WaypointList[1].Symbol));
    EXPECT_EQ(cafe.values.metres, 1.0);
    EXPECT_FALSE(cafe.values.time);
    EXPECT_EQ(WaypointList[2].Detail.texts.Unpacked().name, "");
    EXPECT_EQ(WaypointList[2].Detail.texts.Unpacked().symbol, "");  // no icon in the file
    EXPECT_EQ(WaypointList[2].Detail.values.metres, 0.0);
    EXPECT_EQ(WaypointList[3].Detail.values.metres, 10.5 / 3.2808);

    StartConversionRecord();
    ReadTrack("$PMGNTRK,4807.038,N,01131.000,W,00210,M,032908.38,A,,070898*64\r\n"
              "$PMGNTRK,4807.038,N,01131.000,W,,M,032909,A,,\r\n"
              "$PMGNTRK,4807.038,N,01131.000,W,1,M,032910,A,,310298\r\n");  // no 31 February
    ASSERT_EQ(TrackProps.PointCount, 3);
    EXPECT_TRUE(TrackPointList[0].Known);
    EXPECT_EQ(TrackPointList[0].Values.metres, 210.0);
    EXPECT_EQ(IsoTime(*TrackPointList[0].Values.time), "1998-08-07T03:29:08.38Z");
    EXPECT_TRUE(std::isnan(TrackPointList[1].Values.metres));
    EXPECT_FALSE(TrackPointList[1].Values.time);
    EXPECT_FALSE(TrackPointList[2].Values.time);
    NoteWritten({.trackPoints = 3});
    EXPECT_NE(WrittenLine(WrittenKind::Tracks).find(", dated today - the file gives no date"), std::string::npos);
}
