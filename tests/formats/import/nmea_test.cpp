// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <tuple>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/frontend.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "core/utc_time.h"
#include "formats/import/nmea.h"
#include "formats/native/Kes.h"
#include "tests/support/random_text.h"
#include "tests/support/test_files.h"

namespace {
constexpr double kLocalNow = 45000.75;
constexpr double kUtcNow = 45000.70;

class NmeaLog : public ::testing::Test {
protected:
    void SetUp() override { PinClock(kLocalNow, kUtcNow); }
    void TearDown() override { UnpinClock(); }

    void Read(const std::string& content)
    {
        WriteText(dir.Path("log.nmea"), content);
        ReadNmeaLogFile(dir.Path("log.nmea"));
    }

    TempDir dir;
};

double Day(int y, int m, int d) { return *EncodeDate(y, m, d); }
double Time(int h, int m, int s) { return *EncodeTime(h, m, s); }
}  // namespace

// The GGA of a fix's own time gives its altitude, before or after its RMC.
TEST_F(NmeaLog, AltitudeComesFromTheGgaOfTheSameTime)
{
    Read("$GPGGA,120000,,,,,1,05,1.6,100,M,,*00\r\n"
         "$GPRMC,120000,A,4807.038,N,01131.000,E,,,230394,,*00\r\n"  // 100 m
         "$GPRMC,120001,A,4807.038,N,01131.000,E,,,230394,,*00\r\n"
         "$GPGGA,120001,,,,,1,05,1.6,50,M,,*00\r\n"   // follows its fix
         "$GPGGA,120002,,,,,1,05,1.6,100,F,,*00\r\n"  // in feet
         "$GPRMC,120002,V,4807.038,N,01131.000,E,,,230394,,*00\r\n"
         "$GPGGA,120002,,,,,1,05,1.6,80,M,,*00\r\n"  // 120002 again, not the next fix
         "$GPRMC,120003,A,4807.038,N,01131.000,E,,,230394,,*00\r\n");
    ASSERT_EQ(TrackProps.PointCount, 4);
    EXPECT_NEAR(TrackPointList[0].Altitude, 100.0f, 1e-4);
    EXPECT_NEAR(TrackPointList[1].Altitude, 50.0f, 1e-4);
    EXPECT_NEAR(TrackPointList[2].Altitude, 100 / 3.2808, 1e-4);
    EXPECT_EQ(TrackPointList[3].Altitude, kNoAltitude);

    WriteTrackFile(dir.Path("out.plt"));
    const auto lines = SplitCrLf(ReadText(dir.Path("out.plt")));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(GetField(lines[6], 4, ""), "328");
    EXPECT_EQ(GetField(lines[7], 4, ""), "164");
    EXPECT_EQ(GetField(lines[8], 4, ""), "100");
    EXPECT_EQ(GetField(lines[9], 4, ""), "-777");
}

TEST_F(NmeaLog, PositionsAndHemispheres)
{
    Read("$GPRMC,123519,A,4807.038,N,01131.000,E,,,230394\r\n"
         "$GPRMC,123519,A,4807.038,S,01131.000,W,,,230394\r\n"
         "$GPRMC,123519,A,4807.038,,01131.000\r\n"  // no hemispheres: north and west
         "$GPRMC,123519,A,,,,e,,,230394\r\n");      // lower-case e is not W: stays east
    ASSERT_EQ(TrackProps.PointCount, 4);
    EXPECT_NEAR(TrackPointList[0].Latitude, 48.1173, 1e-9);
    EXPECT_NEAR(TrackPointList[0].Longitude, 11.516666666, 1e-8);
    EXPECT_NEAR(TrackPointList[1].Latitude, -48.1173, 1e-9);
    EXPECT_NEAR(TrackPointList[1].Longitude, -11.516666666, 1e-8);
    EXPECT_NEAR(TrackPointList[2].Latitude, 48.1173, 1e-9);
    EXPECT_NEAR(TrackPointList[2].Longitude, -11.516666666, 1e-8);
    EXPECT_EQ(TrackPointList[3].Latitude, 0.0);
    EXPECT_EQ(TrackPointList[3].Longitude, 0.0);
    EXPECT_EQ(TrackProps.Name, "log.nmea");
    EXPECT_EQ(TrackProps.Description, "");
}

// Fields without their leading zeros are read by value; padded ones as ever.
TEST_F(NmeaLog, PositionsWithoutLeadingZerosAreReadByValue)
{
    const struct {
        const char *latitude, *longitude;
        double expectedLatitude, expectedLongitude;
    } cases[] = {
        {"921.186", "131.000", -(9 + 21.186 / 60), 1 + 31.0 / 60},
        {"0921.186", "00131.000", -(9 + 21.186 / 60), 1 + 31.0 / 60},
        {"21.5", "7", -21.5 / 60, 7.0 / 60},
        {"4807.038", "1131,000", -(48 + 7.038 / 60), 11 + 31.0 / 60},
        {"04807.038", "12345.5", -(4 + 807.038 / 60), 123 + 45.5 / 60},  // longer: split as padded
        {"-921.186", "", -(-9 + 21.186 / 60), 0},                        // not digits: split as padded
    };
    std::string log;
    for (const auto& c : cases)
        log += std::string("$GPRMC,123519,A,") + c.latitude + ",S," + c.longitude + ",E,,,230394\r\n";
    Read(log);
    ASSERT_EQ(TrackProps.PointCount, static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].latitude);
        EXPECT_DOUBLE_EQ(TrackPointList[i].Latitude, cases[i].expectedLatitude);
        EXPECT_DOUBLE_EQ(TrackPointList[i].Longitude, cases[i].expectedLongitude);
    }
}

// 48.5 seconds are stored a hair below the half: the written time text keeps
// that second rather than rounding twice into the next one.
TEST_F(NmeaLog, AHalfSecondIsWrittenInItsOwnSecond)
{
    Read("$GPRMC,155048.5,A,4807.038,N,01131.000,E,,,230394\r\n");
    ASSERT_EQ(TrackProps.PointCount, 1);
    WriteTrackFile(dir.Path("out.plt"));
    const std::string line = SplitCrLf(ReadText(dir.Path("out.plt"))).at(6);
    EXPECT_EQ(line.substr(line.size() - 19), "23-Mar-94, 15:50:48");
}

TEST_F(NmeaLog, DatesSplitCenturiesAtFiftyAndFallBackToTodayUtc)
{
    Read("$GPRMC,123519,A,,,,,,,230394\r\n"
         "$GPRMC,123519,A,,,,,,,230350\r\n"
         "$GPRMC,123519,A,,,,,,,230351\r\n"
         "$GPRMC,123519.5,A,,,,,,,\r\n"
         "$GPRMC,123519,A,,,,,,,000000\r\n"
         "$GPRMC,123519,A,,,,,,,310294\r\n"  // no 31 February
         "$GPRMC,,A,,,,,,,230394\r\n");
    ASSERT_EQ(TrackProps.PointCount, 7);
    EXPECT_NEAR(TrackPointList[0].DateTime, Day(1994, 3, 23) + Time(12, 35, 19), 1e-9);
    EXPECT_NEAR(TrackPointList[1].DateTime, Day(2050, 3, 23) + Time(12, 35, 19), 1e-9);
    EXPECT_NEAR(TrackPointList[2].DateTime, Day(1951, 3, 23) + Time(12, 35, 19), 1e-9);
    EXPECT_NEAR(TrackPointList[3].DateTime, 45000 + Time(12, 35, 19) + 0.5 / 86400, 1e-9);
    EXPECT_NEAR(TrackPointList[4].DateTime, 45000 + Time(12, 35, 19), 1e-9);
    EXPECT_NEAR(TrackPointList[5].DateTime, 45000 + Time(12, 35, 19), 1e-9);
    EXPECT_DOUBLE_EQ(TrackPointList[6].DateTime, kUtcNow);
}

TEST_F(NmeaLog, MoreThanAnHourBetweenFixesInEitherDirectionStartsASection)
{
    Read("$GPRMC,100000,A,,,,,,,010120\n"
         "$GPRMC,105900,A,,,,,,,010120\n"  // 59 minutes on
         "$GPRMC,120000,A,,,,,,,010120\n"  // 61 minutes on
         "$GPRMC,105900,A,,,,,,,010120\n"  // 61 minutes back
         "$GPRMC,105901,A,,,,,,,010120\n");
    ASSERT_EQ(TrackProps.PointCount, 5);
    const int expected[] = {1, 0, 1, 1, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(TrackPointList[i].NewSection, expected[i]) << i;
}

TEST_F(NmeaLog, LineEndsOfEveryKindAndOtherSentences)
{
    Read("$GPGSA,A,3*39\n$GPRMC,100000,A,,,,,,,010120\r$GPRMC,100001,A,,,,,,,010120\r\n"
         "$GPVTG,138.92,T\r\n$GPRMC,100002,A,,,,,,,010120\n\x1A$GPRMC,100003,A,,,,,,,010120\n");
    EXPECT_EQ(TrackProps.PointCount, 3);
}

TEST_F(NmeaLog, WithoutFixesTheTrackIsEmpty)
{
    Read("$GPGGA,120000,,,,,1,05,1.6,100,M,,*00\r\n");
    EXPECT_EQ(TrackProps.PointCount, 0);
    WriteTrackFile(dir.Path("out.plt"));
    EXPECT_EQ(SplitCrLf(ReadText(dir.Path("out.plt"))).size(), 6u);
}

TEST_F(NmeaLog, StopsAtTheTrackCapacity)
{
    std::string log;
    for (int i = 0; i < 120000; ++i) log += "$GPRMC,100000,A,5130.000,N,00010.000,W,,,010120\n";
    Read(log);
    EXPECT_EQ(TrackProps.PointCount, 100000);
    EXPECT_NEAR(TrackPointList[99999].Latitude, 51.5, 1e-9);
    EXPECT_EQ(TrackPointList[100000].Latitude, kNoPosition);
}

TEST_F(NmeaLog, ReceiverLogFixture)
{
    ReadNmeaLogFile(FixturePath("nmea/receiver.log"));
    ASSERT_GT(TrackProps.PointCount, 100);
    EXPECT_NEAR(TrackPointList[0].Latitude, 42 + 31.8291 / 60, 1e-9);
    EXPECT_NEAR(TrackPointList[0].Longitude, -(88 + 7.3033 / 60), 1e-9);
    EXPECT_NEAR(TrackPointList[0].Altitude, 209.8f, 1e-3);
    EXPECT_NEAR(TrackPointList[0].DateTime, Day(2004, 8, 7) + Time(3, 29, 8) + 0.379 / 86400, 1e-9);
}

TEST_F(NmeaLog, RandomAndTruncatedInputsNeverCrash)
{
    const std::vector<std::string> pieces = {"$GPRMC", "$GPGGA",     ",",        ",,", "*",         "\r\n", "\n", "\r",
                                             "\x1A",   "123519.999", "4807.038", "S",  "W",         "M",    "F",  "-",
                                             "1e999",  "230394",     "000000",   " ",  "9999999999"};
    std::string valid;
    for (int i = 0; i < 2000; ++i)
        valid += "$GPGGA,1,,,,,1,5,1,12.5,M\r\n$GPRMC,123519,A,4807.038,N,01131.000,E,,,230394\r\n";
    for (const std::string& input : RandomTextInputs(valid, pieces, 7)) {
        try {
            Read(input);
            ASSERT_LE(TrackProps.PointCount, 100000);
        } catch (const ConversionError&) {
        } catch (const FileError&) {}
    }
}

namespace {
// A front end that answers the question of a log's date.
struct DateGiver : SilentFrontEnd {
    explicit DateGiver(std::optional<std::chrono::year_month_day> date) : date(date) {}
    std::optional<std::chrono::year_month_day> DateOfLog(const std::string&) override { return ++asked, date; }
    std::optional<std::chrono::year_month_day> date;
    int asked = 0;
};

std::string IsoOf(const TrackPoint& p) { return p.Values.time ? IsoTime(*p.Values.time) : "none"; }
}  // namespace

TEST_F(NmeaLog, EveryTalkerGivesFixesButMakersOwnSentencesDoNot)
{
    for (const std::string talker : {"GP", "GN", "GL", "GA", "GB", "BD", "QZ"}) {
        SCOPED_TRACE(talker);
        Read("$" + talker + "GGA,120000,4807.038,N,01131.000,E,1,05,1.6,100,M,,\r\n$" + talker +
             "RMC,120000,A,4807.038,N,01131.000,E,,,230394\r\n$PGRMC,120001,A,,,,,,,230394\r\n");
        ASSERT_EQ(TrackProps.PointCount, 1);
        EXPECT_NEAR(TrackPointList[0].Altitude, 100.0f, 1e-4);
        EXPECT_TRUE(HoldsNmeaFix("x\n$" + talker + "GGA,1"));
    }
    EXPECT_FALSE(HoldsNmeaFix("$PMGNTRK,4807.038\n$PGRMC,1\n$GPGSA,A"));
}

// Fixes of GGA alone take the date of the log's RMC, counted across
// midnight either way, else the user's, else none (native: today's date).
TEST_F(NmeaLog, GgaFixesTakeTheLogsDateOrTheUsersOrNone)
{
    using namespace std::chrono;
    const std::string gga = "GGA,%,4807.038,N,01131.000,E,1,05,1.6,100,M,,\r\n";
    const auto fix = [&](const std::string& talker, const char* time) {
        std::string line = "$" + talker + gga;
        line.replace(line.find('%'), 1, time);
        return line;
    };
    const struct {
        std::string log;
        std::optional<year_month_day> user;
        std::vector<std::string> times;
        int asked;
    } cases[] = {
        {fix("GN", "235958.5") + fix("GP", "235959") + "$GNRMC,000000,A,4807.038,N,01131.000,E,,,020519\r\n" +
             fix("GN", "000001"),
         2020y / 1 / 1,
         {"2019-05-01T23:59:58.5Z", "2019-05-01T23:59:59Z", "2019-05-02T00:00:00Z", "2019-05-02T00:00:01Z"},
         0},
        {fix("GN", "235959") + fix("GN", "000001") + fix("GN", "") + fix("GN", "xx"),
         2019y / 5 / 1,
         {"2019-05-01T23:59:59Z", "2019-05-02T00:00:01Z", "none", "none"},
         1},
        {fix("GN", "120000") + "$GNRMC,120001,A,,,,,,,\r\n", std::nullopt, {"none", "none"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log);
        DateGiver front(c.user);
        ScopedFrontEnd scoped(front);
        StartConversionRecord();
        Read(c.log);
        ASSERT_EQ(TrackProps.PointCount, static_cast<int>(c.times.size()));
        for (std::size_t i = 0; i < c.times.size(); ++i) {
            const TrackPoint& p = TrackPointList[static_cast<int>(i)];
            EXPECT_EQ(IsoOf(p), c.times[i]) << i;
            // The native day count follows the date found, or is today's.
            const double day = p.Values.time ? DayCountOf(*p.Values.time) : 45000 + std::fmod(p.DateTime, 1);
            if (c.times[i] != "none" || i == 0) {
                EXPECT_NEAR(p.DateTime, day, 1e-8) << i;
            }
        }
        EXPECT_EQ(front.asked, c.asked);
        NoteWritten({.trackPoints = 2});
        EXPECT_EQ(WrittenLine(WrittenKind::Tracks).find("dated today - the log gives no date") != std::string::npos,
                  !c.user && c.asked == 1);
    }
}

TEST_F(NmeaLog, DetailKeepsTheSentencesValues)
{
    Read("$GPRMC,032908.379,A,4231.829,N,08807.303,W,0.16,138.92,070898,,*14\r\n"
         "$GPGGA,032908.379,4231.829,N,08807.303,W,1,05,1.6,209.800,M,-34.2,M,,*6A\r\n"
         "$GPGSA,A,2,,,,,,,,,,,,,4.9,1.7,4.5*38\r\n"
         "$GPGGA,032909,4231.829,N,08807.303,W,1,12,,8848.86,M,,\r\n"
         "$GPRMC,032909,V,4231.829,N,08807.303,W,,,070898\r\n"
         "$GPRMC,032910,V,4231.829,N,08807.303,W,,,070898\r\n");
    ASSERT_EQ(TrackProps.PointCount, 3);
    const PointValues& first = TrackPointList[0].Values;
    EXPECT_EQ(IsoTime(*first.time), "1998-08-07T03:29:08.379Z");
    EXPECT_EQ(std::tie(first.metres, first.satellites, first.hdop, first.pdop, first.vdop),
              std::make_tuple(209.8, 5, 1.6f, 4.9f, 4.5f));  // hdop: the GGA's, not the GSA's
    EXPECT_STREQ(kFixNames[first.fix], "2d");
    const PointValues& second = TrackPointList[1].Values;
    EXPECT_EQ(std::tie(second.metres, second.satellites), std::make_tuple(8848.86, 12));
    EXPECT_TRUE(std::isnan(second.hdop));
    EXPECT_STREQ(kFixNames[second.fix], "3d");  // the GGA's quality, though the RMC says V
    EXPECT_STREQ(kFixNames[TrackPointList[2].Values.fix], "none");
    EXPECT_TRUE(std::isnan(TrackPointList[2].Values.metres));

    const struct {
        const char* quality;
        const char* fix;
    } qualities[] = {{"0", "none"}, {"1", "3d"}, {"2", "dgps"}, {"3", "pps"}, {"5", "dgps"}, {"6", "none"}, {"", ""}};
    for (const auto& q : qualities) {
        Read(std::string("$GPGGA,120000,4807.038,N,01131.000,E,") + q.quality + ",05,1.6,100,M,,\r\n");
        ASSERT_EQ(TrackProps.PointCount, 1);
        EXPECT_STREQ(kFixNames[TrackPointList[0].Values.fix], q.fix) << q.quality;
    }
}
