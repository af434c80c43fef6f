// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <random>
#include <tuple>

#include "core/convert/format_lookup.h"
#include "core/document/undated_times.h"
#include "core/io/file_io.h"
#include "core/text/text_fields.h"
#include "formats/format_table.h"
#include "formats/import/nmea.h"
#include "tests/support/document_points.h"
#include "tests/support/random_text.h"
#include "tests/support/test_files.h"

namespace {
ReadResult Read(const std::string& log) { return ReadMemory(ReadNmeaLogFile, log, "/logs/log.nmea"); }

std::string Rmc(const std::string& time, const std::string& date,
                const std::string& position = "4807.038,N,01131.000,E")
{
    return "$GPRMC," + time + ",A," + position + ",,," + date + ",,\r\n";
}

std::string Gga(const std::string& time, const std::string& talker = "GP")
{
    return "$" + talker + "GGA," + time + ",4807.038,N,01131.000,E,1,05,1.6,100,M,,\r\n";
}

// A sentence with its checksum.
std::string Checked(const std::string& body)
{
    unsigned sum = 0;
    for (const char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// A ZDA sentence: time of day, then day, month and four-digit year.
std::string Zda(const std::string& time, const std::string& date, const std::string& talker = "GP")
{
    return "$" + talker + "ZDA," + time + "," + date + ",00,00\r\n";
}

std::vector<std::string> Times(const ReadResult& read)
{
    std::vector<std::string> times;
    for (const Point& p : TrackPoints(read)) times.push_back(p.time ? IsoTime(*p.time) + (p.undated ? "?" : "") : "");
    return times;
}
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

// The GGA of a fix's own time gives its elevation, before or after its RMC.
TEST(NmeaLog, ElevationComesFromTheGgaOfTheSameTime)
{
    const ReadResult read = Read("$GPGGA,120000,,,,,1,05,1.6,100,M,,\r\n"
                                 "$GPRMC,120000,A,4807.038,N,01131.000,E,,,230394,,\r\n"  // 100 m
                                 "$GPRMC,120001,A,4807.038,N,01131.000,E,,,230394,,\r\n"
                                 "$GPGGA,120001,,,,,1,05,1.6,50,M,,\r\n"   // follows its fix
                                 "$GPGGA,120002,,,,,1,05,1.6,100,F,,\r\n"  // in feet
                                 "$GPRMC,120002,V,4807.038,N,01131.000,E,,,230394,,\r\n"
                                 "$GPGGA,120002,,,,,1,05,1.6,80,M,,\r\n"  // 120002 again, not the next fix
                                 "$GPRMC,120003,A,4807.038,N,01131.000,E,,,230394,,\r\n");
    const std::vector<Point> points = TrackPoints(read);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].elevation, 100);
    EXPECT_EQ(points[1].elevation, 50);
    EXPECT_EQ(points[2].elevation, 100 / 3.2808);
    EXPECT_FALSE(points[3].HasElevation());
    EXPECT_EQ(read.document.tracks[0].info.name, "log.nmea");
}

TEST(NmeaLog, PositionsAndHemispheres)
{
    const struct {
        const char* position;
        double latitude, longitude;
    } rows[] = {
        {"4807.038,N,01131.000,E", 48.1173, 11 + 31.0 / 60},
        {"4807.038,S,01131.000,W", -48.1173, -(11 + 31.0 / 60)},
        {"4807.038,,01131.000", 48.1173, -(11 + 31.0 / 60)},  // no hemispheres: north and west
        {"0,,0,e", 0, 0},                                     // lower-case e is not W: stays east
        // Fields without their leading zeros are read by value; padded ones as ever.
        {"921.186,S,131.000,E", -(9 + 21.186 / 60), 1 + 31.0 / 60},
        {"0921.186,S,00131.000,E", -(9 + 21.186 / 60), 1 + 31.0 / 60},
        {"21.5,S,7,E", -21.5 / 60, 7.0 / 60},
        {"4807.038,S,1131,000,E", -(48 + 7.038 / 60), 11 + 31.0 / 60},
        {"04807.038,S,12345.5,E", -(4 + 807.038 / 60), 123 + 45.5 / 60},  // longer: split as padded
        {"-921.186,S,0,E", -(-9 + 21.186 / 60), 0},                       // not digits: split as padded
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.position);
        const std::vector<Point> points = TrackPoints(Read(Rmc("123519", "230394", row.position)));
        ASSERT_EQ(points.size(), 1u);
        EXPECT_NEAR(points[0].latitude, row.latitude, 1e-12);
        EXPECT_NEAR(points[0].longitude, row.longitude, 1e-12);
    }
}

TEST(NmeaLog, DatesSplitCenturiesAtFiftyAndTimesKeepTheirDigits)
{
    const struct {
        const char *time, *date, *expected;
    } rows[] = {
        {"123519", "230394", "1994-03-23T12:35:19Z"},
        {"123519", "230350", "2050-03-23T12:35:19Z"},
        {"123519", "230351", "1951-03-23T12:35:19Z"},
        {"155048.5", "230394", "1994-03-23T15:50:48.5Z"},
        {"155048.123456789", "230394", "1994-03-23T15:50:48.123456789Z"},
        {"123519.5", "", "1970-01-01T12:35:19.5Z?"},  // no date: a time of day
        {"123519", "000000", "1970-01-01T12:35:19Z?"},
        {"123519", "310294", "1970-01-01T12:35:19Z?"},  // no 31 February
        {"", "230394", ""},
        {"1235", "230394", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.time + std::string(" ") + row.date);
        EXPECT_EQ(Times(Read(Rmc(row.time, row.date))), std::vector<std::string>{row.expected});
    }
}

TEST(NmeaLog, MoreThanAnHourBetweenFixesInEitherDirectionStartsASection)
{
    const ReadResult read = Read(Rmc("100000", "010120") + Rmc("105900", "010120") +  // 59 minutes on
                                 Rmc("115900", "010120") +                            // 60 minutes on
                                 Rmc("130000", "010120") +                            // 61 minutes on
                                 Rmc("115900", "010120") +                            // 61 minutes back
                                 Rmc("", "010120") +                                  // no time: no break
                                 Rmc("115901", "010120") + Rmc("125901.001", "010120"));
    std::vector<bool> sections;
    for (const Point& p : TrackPoints(read)) sections.push_back(p.newSection);
    EXPECT_EQ(sections, (std::vector<bool>{true, false, false, true, true, false, false, true}));
}

TEST(NmeaLog, LineEndsOfEveryKindAndOtherSentences)
{
    const ReadResult read =
        Read("$GPGSA,A,3*30\n$GPRMC,100000,A,1,N,1,E,,,010120\r$GPRMC,100001,A,1,N,1,E,,,010120\r\n"
             "$GPVTG,138.92,T\r\n$GPRMC,100002,A,1,N,1,E,,,010120\n\x1A$GPRMC,100003,A,1,N,1,E,,,010120\n");
    EXPECT_EQ(read.document.TrackPointCount(), 3);
}

TEST(NmeaLog, WithoutFixesThereIsNoTrack)
{
    const ReadResult read = Read("$GPGGA,120000,,,,,1,05,1.6,100,M,,\r\n");
    EXPECT_TRUE(read.document.Empty());
    EXPECT_EQ(read.findings.All(), (std::vector<Finding>{{FindingKind::Unusable, "", 1}}));
}

TEST(NmeaLog, EveryFixIsRead)
{
    std::string log;
    for (int i = 0; i < 120000; ++i) log += "$GPRMC,100000,A,5130.000,N,00010.000,W,,,010120\n";
    EXPECT_EQ(Read(log).document.TrackPointCount(), 120000);
}

TEST(NmeaLog, ReceiverLogFixture)
{
    const ReadResult read = ReadNmeaLogFile(InputSource::File(FixturePath("nmea/receiver.log")), {});
    ASSERT_EQ(read.document.tracks.at(0).info.name, "receiver.log");
    const std::vector<Point> points = TrackPoints(read);
    ASSERT_EQ(points.size(), 154u);
    EXPECT_NEAR(points[0].latitude, 42 + 31.8291 / 60, 1e-12);
    EXPECT_NEAR(points[0].longitude, -(88 + 7.3033 / 60), 1e-12);
    EXPECT_EQ(Held(points[0]), "||||209.800|2004-08-07T03:29:08.379Z");
    EXPECT_TRUE(read.findings.Empty());
}

TEST(NmeaLog, RandomAndTruncatedInputsNeverCrash)
{
    const std::vector<std::string> pieces = {"$GPRMC", "$GPGGA",     ",",        ",,", "*",         "\r\n", "\n", "\r",
                                             "\x1A",   "123519.999", "4807.038", "S",  "W",         "M",    "F",  "-",
                                             "1e999",  "230394",     "000000",   " ",  "9999999999"};
    std::string valid;
    for (int i = 0; i < 2000; ++i)
        valid += "$GPGGA,1,,,,,1,5,1,12.5,M\r\n$GPRMC,123519,A,4807.038,N,01131.000,E,,,230394\r\n";
    for (const std::string& input : RandomTextInputs(valid, pieces, 7)) {
        try {
            const ReadResult read = Read(input);
            ASSERT_LE(read.document.TrackPointCount(), static_cast<std::int64_t>(input.size() / 7));
        } catch (const ConversionError&) {}
    }
}

TEST(NmeaLog, EveryTalkerGivesFixesButMakersOwnSentencesDoNot)
{
    for (const std::string talker : {"GP", "GN", "GL", "GA", "GB", "BD", "QZ"}) {
        SCOPED_TRACE(talker);
        const std::vector<Point> points =
            TrackPoints(Read(Gga("120000", talker) + "$" + talker + "RMC,120000,A,4807.038,N,01131.000,E,,,230394\r\n" +
                             "$PGRMC,120001,A,,,,,,,230394\r\n"));
        ASSERT_EQ(points.size(), 1u);
        EXPECT_EQ(points[0].elevation, 100);
        EXPECT_TRUE(HoldsNmeaData("x\n$" + talker + "GGA,1"));
    }
    EXPECT_FALSE(HoldsNmeaData("$PMGNTRK,4807.038\n$PGRMC,1\n$GPGSA,A"));
}

// The day a log's receiver can have written it at the earliest, by the
// latest its sentences show: a satellite system's talker, the 4.10 field of
// an RMC; a sentence whose checksum fails shows nothing. A log's sections are
// its reader's own, made at gaps. Each row: a day, and the sentences that
// show it after a fix.
TEST(NmeaLog, ItsTalkersAndFieldsTellWhenALogCanHaveBeenWrittenAtTheEarliest)
{
    const auto gsv = [](const std::string& talker) { return Checked(talker + "GSV,1,1,00"); };
    const std::string rmc = "GPRMC,120001,A,4807.038,N,01131.000,E,,,240899,,,A";
    const std::pair<std::string, std::vector<std::string>> days[] = {
        {"", {"", gsv("GP") + gsv("GL"), "$GAGSV,1,1,00*00\r\n", Checked(rmc), Checked(rmc + ",V,X")}},  // none
        {"2000-07-01",
         {Checked("GNGSA,A,3,,,,,,,,,,,,,1.0,1.0,1.0"),
          "$GNRMC,120001,A,4807.038,N,01131.000,E,,,240899,,\r\n"}},  // no checksum: taken
        {"2000-10-30", {gsv("BD"), gsv("GB")}},
        {"2005-12-28", {gsv("GA"), gsv("GA") + Checked("GNGSA,A,3") + gsv("BD")}},
        {"2010-09-11", {gsv("GQ")}},
        {"2012-06-01", {Checked(rmc + ",V")}},
        {"2013-07-01", {gsv("GI")}}};
    for (const auto& [day, logs] : days)
        for (const std::string& sentences : logs) {
            const ReadResult read = Read(Rmc("120000", "240899") + sentences);
            ASSERT_EQ(read.document.tracks.size(), 1u) << sentences;
            const Track& track = read.document.tracks[0];
            EXPECT_EQ(track.loggedNotBefore ? IsoTime(*track.loggedNotBefore).substr(0, 10) : "", day) << sentences;
            EXPECT_TRUE(track.sectionsAtGaps);
        }
}

// Fixes without a date take the log's, counted across midnight either way;
// in a log without any, they are times of day, for the user's date.
TEST(NmeaLog, FixesWithoutADateTakeTheLogsDateOrStayTimesOfDay)
{
    const struct {
        std::string log;
        std::vector<std::string> times;
        std::int64_t undated;
    } rows[] = {
        {Gga("235958.5", "GN") + Gga("235959") + "$GNRMC,000000,A,4807.038,N,01131.000,E,,,020519\r\n" +
             Gga("000001", "GN"),
         {"2019-05-01T23:59:58.5Z", "2019-05-01T23:59:59Z", "2019-05-02T00:00:00Z", "2019-05-02T00:00:01Z"},
         0},
        {Rmc("100000", "010120") + Rmc("235900", "") + Rmc("000100", "") + Rmc("000200", "311299"),
         {"2020-01-01T10:00:00Z", "2020-01-01T23:59:00Z", "2020-01-02T00:01:00Z", "1999-12-31T00:02:00Z"},
         0},
        {Gga("235959", "GN") + Gga("000001", "GN") + Gga("", "GN") + Gga("xx", "GN"),
         {"1970-01-01T23:59:59Z?", "1970-01-02T00:00:01Z?", "", ""},
         2},
        {Gga("120000", "GN") + "$GNRMC,120001,A,1,N,1,E,,,\r\n", {"1970-01-01T12:00:00Z?", "1970-01-01T12:00:01Z?"}, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.log);
        const ReadResult read = Read(row.log);
        EXPECT_EQ(Times(read), row.times);
        const std::vector<Finding> undated = {{FindingKind::Undated, "the log gives no date", row.undated}};
        EXPECT_EQ(read.findings.All(), row.undated ? undated : std::vector<Finding>{});
    }
}

// Wherever the one dated fix stands, or when none is and the user gives the
// first day, every fix gets the same time: the times of day counted on
// across each midnight.
TEST(NmeaLog, TheTimesOfALogDoNotDependOnWhichFixGivesTheDate)
{
    std::mt19937 random(31);
    for (int round = 0; round < 40; ++round) {
        std::vector<std::int64_t> seconds = {1700000000 + static_cast<std::int64_t>(random() % 86400)};
        for (int i = 1; i < 12; ++i) seconds.push_back(seconds.back() + 1 + random() % 43000);
        std::vector<std::string> expected;
        for (const std::int64_t s : seconds) expected.push_back(IsoTime({s, 0}));
        const auto hhmmss = [](std::int64_t s) {
            char text[16];
            std::snprintf(text, sizeof text, "%02d%02d%02d", int(s / 3600 % 24), int(s / 60 % 60), int(s % 60));
            return std::string(text);
        };
        // The date comes from an RMC, or from a ZDA before or after a GGA of its time.
        for (std::size_t dated = 0; dated <= seconds.size(); ++dated)
            for (const char* source : {"RMC", "ZDA before", "ZDA after"}) {
                std::string log;
                for (std::size_t i = 0; i < seconds.size(); ++i) {
                    const std::string iso = expected[i];
                    const std::string date = iso.substr(8, 2) + iso.substr(5, 2) + iso.substr(2, 2);
                    const std::string zda =
                        Zda(hhmmss(seconds[i]), date.substr(0, 2) + "," + date.substr(2, 2) + "," + iso.substr(0, 4));
                    if (i != dated) log += Gga(hhmmss(seconds[i]));
                    else if (source == std::string("RMC")) log += Rmc(hhmmss(seconds[i]), date);
                    else if (source == std::string("ZDA before")) log += zda + Gga(hhmmss(seconds[i]));
                    else log += Gga(hhmmss(seconds[i])) + zda;
                }
                ReadResult read = Read(log);
                if (dated == seconds.size()) {
                    const std::string& first = expected.front();
                    const std::chrono::year_month_day day{std::chrono::year{std::stoi(first.substr(0, 4))},
                                                          std::chrono::month{unsigned(std::stoi(first.substr(5, 2)))},
                                                          std::chrono::day{unsigned(std::stoi(first.substr(8, 2)))}};
                    DateUndatedTimes(read.document, day);
                }
                ASSERT_EQ(Times(read), expected) << "dated fix " << dated << " by " << source;
            }
    }
}

TEST(NmeaLog, PointsKeepTheSentencesValues)
{
    const ReadResult read = Read("$GPRMC,032908.379,A,4231.829,N,08807.303,W,0.16,138.92,070898,,*14\r\n"
                                 "$GPGGA,032908.379,4231.829,N,08807.303,W,1,05,1.6,209.800,M,-34.2,M,,*6A\r\n"
                                 "$GPGSA,A,2,,,,,,,,,,,,,4.9,1.7,4.5*39\r\n"
                                 "$GPGGA,032909,4231.829,N,08807.303,W,1,12,,8848.86,M,,\r\n"
                                 "$GPRMC,032909,V,4231.829,N,08807.303,W,,,070898\r\n"
                                 "$GPRMC,032910,V,4231.829,N,08807.303,W,,,070898\r\n");
    const std::vector<Point> points = TrackPoints(read);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(Held(points[0]), "||||209.800|1998-08-07T03:29:08.379Z");
    EXPECT_EQ(std::tie(points[0].satellites, points[0].hdop, points[0].pdop, points[0].vdop),
              std::make_tuple(5, 1.6, 4.9, 4.5));  // hdop: the GGA's, not the GSA's
    EXPECT_STREQ(kFixNames[points[0].fix], "2d");
    EXPECT_EQ(std::tie(points[1].elevation, points[1].satellites), std::make_tuple(8848.86, 12));
    EXPECT_TRUE(std::isnan(points[1].hdop));
    EXPECT_STREQ(kFixNames[points[1].fix], "3d");  // the GGA's quality, though the RMC says V
    EXPECT_STREQ(kFixNames[points[2].fix], "none");
    EXPECT_FALSE(points[2].HasElevation());

    const struct {
        const char* quality;
        const char* fix;
    } qualities[] = {{"0", "none"}, {"1", "3d"}, {"2", "dgps"}, {"3", "pps"}, {"5", "dgps"}, {"6", "none"}, {"", ""}};
    for (const auto& q : qualities) {
        const std::vector<Point> alone =
            TrackPoints(Read(std::string("$GPGGA,120000,4807.038,N,01131.000,E,") + q.quality + ",05,1.6,100,M,,\r\n"));
        ASSERT_EQ(alone.size(), 1u);
        EXPECT_STREQ(kFixNames[alone[0].fix], q.fix) << q.quality;
    }
}

// What a navigator makes of a log: damaged sentences and fixes without a
// position left out and counted, one point per fix whatever its talkers.
TEST(NmeaLog, FixesAsANavigatorReadsThem)
{
    const std::string rmc = "GPRMC,120000,A,4807.038,N,01131.000,E,10.5,271.3,230394,,";
    const std::string gga = "GPGGA,120000,4807.038,N,01131.000,E,1,05,1.6,100,M,47.9,M,,";
    const auto skipped = [](int n) {
        return Finding{FindingKind::Skipped,
                       n == 1 ? "1 sentence with a wrong checksum was skipped"
                              : std::to_string(n) + " sentences with a wrong checksum were skipped",
                       n};
    };
    const Finding noPosition{FindingKind::Unusable, "", 1};
    const struct {
        const char* what;
        std::string log;
        std::string points;  // position, fix, sections, geoid height, speed, course of each
        std::vector<Finding> findings;
    } rows[] = {
        {"void fix with a position", Rmc("120000", "230394").replace(14, 1, "V"), "48.1173 11.5167 none +", {}},
        {"void fix without one", Checked("GPRMC,115959,V,,,,,,,150320,,"), "", {noPosition}},
        {"blank longitude", Rmc("120000", "230394", "4807.038,N,,E"), "", {noPosition}},
        {"unreadable latitude", Rmc("120000", "230394", "48x7.038,N,01131.000,E"), "", {noPosition}},
        {"right checksums", Checked(rmc) + Checked(gga), "48.1173 11.5167 3d + 47.9 5.40167 271.3", {}},
        {"missing checksum", "$" + rmc + "\r\n", "48.1173 11.5167  + 5.40167 271.3", {}},
        {"wrong checksums",
         "$" + rmc + "*00\r\n$" + gga + "*7\r\n" + Checked(rmc).replace(19, 1, "9"),
         "",
         {skipped(3)}},
        {"one wrong of two", Checked(rmc) + "$" + gga + "*00\r\n", "48.1173 11.5167  + 5.40167 271.3", {skipped(1)}},
        {"GP and GN of one fix",
         Checked(rmc) + Checked(gga) + Checked("GN" + rmc.substr(2)) + Checked("GN" + gga.substr(2)),
         "48.1173 11.5167 3d + 47.9 5.40167 271.3",
         {}},
        {"GP and GN interleaved",
         Checked(rmc) + Checked("GN" + rmc.substr(2)) + Checked(gga),
         "48.1173 11.5167 3d + 47.9 5.40167 271.3",
         {}},
        {"60 and 61 minutes on",
         Rmc("100000", "010120") + Rmc("110000", "010120") + Rmc("120100", "010120"),
         "48.1173 11.5167  + 48.1173 11.5167  - 48.1173 11.5167  +",
         {}},
        {"60 minutes and a millisecond",
         Rmc("100000.999", "010120") + Rmc("110001", "010120"),
         "48.1173 11.5167  + 48.1173 11.5167  +",
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const ReadResult read = Read(row.log);
        std::string points;
        for (const Point& p : TrackPoints(read)) {
            char text[160];
            std::snprintf(text, sizeof text, "%s%.4f %.4f %s %c", points.empty() ? "" : " ", p.latitude, p.longitude,
                          kFixNames[p.fix], p.newSection ? '+' : '-');
            points += text;
            for (const double value : {p.geoidHeight, p.speed, p.course}) {
                if (std::isnan(value)) continue;
                std::snprintf(text, sizeof text, " %g", value);
                points += text;
            }
        }
        EXPECT_EQ(points, row.points);
        EXPECT_EQ(read.findings.All(), row.findings);
    }
}

// A ZDA dates the fixes that follow it and those before it, counted across
// midnight by their times of day as an RMC's date is (wherever it stands:
// TheTimesOfALogDoNotDependOnWhichFixGivesTheDate); an RMC's date is kept
// where the two disagree, and the ZDA dates not taken are told.
TEST(NmeaLog, ZdaSentencesDateTheLogWhereNoRmcDateDisagrees)
{
    const auto disagreeing = [](std::int64_t n) {
        return std::vector<Finding>{
            {FindingKind::Notice,
             n == 1 ? "1 ZDA date disagrees with the log's RMC dates, which were kept"
                    : std::to_string(n) + " ZDA dates disagree with the log's RMC dates, which were kept",
             n}};
    };
    const struct {
        const char* what;
        std::string log;
        std::vector<std::string> times;
        std::vector<Finding> findings;
    } rows[] = {
        {"a checked one of any talker",
         Checked("GNZDA,201530.00,04,07,2002,00,00") + Gga("201531", "GN"),
         {"2002-07-04T20:15:31Z"},
         {}},
        {"dates what came before",
         Gga("235959") + Gga("000001") + Zda("000002", "02,05,2019"),
         {"2019-05-01T23:59:59Z", "2019-05-02T00:00:01Z"},
         {}},
        {"of the next day, while a fix of the day before waits for its RMC",
         Gga("235959.5") + Zda("000000", "02,05,2019") + Gga("000000.5"),
         {"2019-05-01T23:59:59.5Z", "2019-05-02T00:00:00.5Z"},
         {}},
        {"a later ZDA sets the day a gap of days has passed",
         Zda("120000", "01,05,2019") + Gga("120000") + Zda("120001", "03,05,2019") + Gga("120001"),
         {"2019-05-01T12:00:00Z", "2019-05-03T12:00:01Z"},
         {}},
        {"agreeing with the RMC",
         Zda("120000", "23,03,1994") + Rmc("120000", "230394") + Gga("120000") + Gga("120001"),
         {"1994-03-23T12:00:00Z", "1994-03-23T12:00:01Z"},
         {}},
        {"disagreeing with the RMC before it",
         Rmc("120000", "230394") + Zda("120000", "24,03,1994") + Gga("120001") + Zda("120002", "24,03,1994") +
             Gga("120002"),
         {"1994-03-23T12:00:00Z", "1994-03-23T12:00:01Z", "1994-03-23T12:00:02Z"},
         disagreeing(2)},
        {"disagreeing with the RMC after it",
         Zda("115959", "24,03,1994") + Gga("120000") + Rmc("120001", "230394"),
         {"1994-03-23T12:00:00Z", "1994-03-23T12:00:01Z"},
         disagreeing(1)},
        {"unusable ZDAs date nothing",
         Zda("120000", "00,00,0000") + Zda("120000", "23,03,94") + Zda("120000", ",,") + Zda("", "23,03,1994") +
             Zda("120000", "31,02,1994") + "$GPZDA,120000,23,03,1994*00\r\n" + Gga("120000"),
         {"1970-01-01T12:00:00Z?"},
         {{FindingKind::Undated, "the log gives no date", 1},
          {FindingKind::Skipped, "1 sentence with a wrong checksum was skipped", 1}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const ReadResult read = Read(row.log);
        EXPECT_EQ(Times(read), row.times);
        EXPECT_EQ(read.findings.All(), row.findings);
    }
}

// A receiver without a fix writes zeros where it has no altitude, dilution,
// geoid height or satellites: a void fix has none of them. An empty field is
// no value either.
TEST(NmeaLog, AVoidFixOrAnEmptyFieldHoldsNoFigures)
{
    const struct {
        const char* what;
        std::string log;
        bool figures;
        const char* fix;
    } rows[] = {
        {"GGA of quality 0", Checked("GPGGA,120000,4807.038,N,01131.000,E,0,00,0.0,0.0,M,0.0,M,,"), false, "none"},
        {"GGA of quality 0 beside an RMC with status A",
         Rmc("120000", "230394") + Gga("120000").replace(37, 1, "0") + "$GPGSA,A,1,,,,,,,,,,,,,0.0,0.0,0.0\r\n", false,
         "none"},
        {"RMC with status V and a GGA without a quality",
         Rmc("120000", "230394").replace(14, 1, "V") + "$GPGGA,120000,,,,,,00,0.0,0.0,M,0.0,M,,\r\n", false, "none"},
        {"empty fields", "$GPGGA,120000,4807.038,N,01131.000,E,1,,,,M,,M,,\r\n$GPGSA,A,3,,,,,,,,,,,,,,,\r\n", false,
         "3d"},
        {"blank fields", "$GPGGA,120000,4807.038,N,01131.000,E,1, , , ,M, ,M,,\r\n$GPGSA,A,3,,,,,,,,,,,,, , , \r\n",
         false, "3d"},
        {"a fix",
         Checked("GPGGA,120000,4807.038,N,01131.000,E,1,00,0.0,0.0,M,0.0,M,,") + "$GPGSA,A,3,,,,,,,,,,,,,0,0,0\r\n",
         true, "3d"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::vector<Point> points = TrackPoints(Read(row.log));
        ASSERT_EQ(points.size(), 1u);
        const Point& p = points[0];
        EXPECT_EQ(p.HasElevation(), row.figures);
        for (const double value : {p.hdop, p.pdop, p.vdop, p.geoidHeight}) EXPECT_EQ(!std::isnan(value), row.figures);
        EXPECT_EQ(p.satellites, row.figures ? 0 : -1);
        EXPECT_STREQ(kFixNames[p.fix], row.fix);
    }
}

// NMEA logs as files, after the log as a text: a log is told by its first
// fix or waypoint, looked for past the first few kilobytes while the lines
// are sentences, up to a bound.
TEST(NmeaFiles, ALogIsToldByItsFirstFixAfterAnyRunOfSentences)
{
    const std::string fix = Rmc("120000", "230394");
    const std::string waypoint = "$GPWPL,3558.322,N,08708.082,W,GCEBB*1D\r\n";
    const std::string satellites = "$GPGSV,3,1,09,28,64,316,40,08,60,189,42,11,50,085,46,07,37,246,45*7A\n";
    const struct {
        const char* what;
        std::string content;
        bool nmea;
    } rows[] = {
        {"2,000 satellite lines first", Repeated(satellites, 2000) + fix, true},
        {"blank lines and AIS", Repeated("\r\n!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26\r\n", 300) + fix, true},
        {"a line of text before the fix", Repeated(satellites, 200) + "Recorded by a logger\r\n" + fix, false},
        {"the fix past the bound", Repeated(satellites, static_cast<int>((1u << 20) / satellites.size()) + 1) + fix,
         false},
        {"sentences without a fix", Repeated(satellites, 2000), false},
        {"a fix at the start", fix + "Recorded by a logger\r\n", true},
        {"text first", "Recorded by a logger\r\n" + Repeated(satellites, 200) + fix, false},
        {"waypoints alone", Repeated(waypoint, 20), true},
        {"waypoints after satellite lines", Repeated(satellites, 200) + waypoint, true},
        {"a maker's own waypoints", "$PMGNWPL,4807.038,N,01131.000,E,0,M,HOME,,a\r\n", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(TakenForNmea(row.content), row.nmea);
        EXPECT_EQ(TakenForNmea(Utf16(row.content, Order::LittleEndian, true)), row.nmea);
    }
}

// The waypoints a receiver sends (WPL) are waypoints of the log, with their
// names; a read for tracks passes them over and counts them, and one without
// a usable position or with a wrong checksum is left out and counted.
TEST(NmeaLog, WaypointSentencesAreWaypoints)
{
    const std::string log = "$GPWPL,3558.322,N,08708.082,W,GCEBB*1D\r\n" +
                            Checked("GNWPL,4807.038,S,01131.000,E, Caf\xC3\xA9 ") +
                            "$GPWPL,,N,08708.082,W,NOWHERE\r\n" + "$GPWPL,3558.322,N,08708.082,W,WRONG*00\r\n" +
                            "$PMGNWPL,4807.038,N,01131.000,E,0,M,HOME,,a\r\n" + Rmc("120000", "230394");
    const ReadResult read = Read(log);
    const std::vector<Point> waypoints = read.document.waypoints.ToVector();
    ASSERT_EQ(waypoints.size(), 2u);
    EXPECT_EQ(Held(waypoints[0]), "GCEBB|||||");
    EXPECT_DOUBLE_EQ(waypoints[0].latitude, 35 + 58.322 / 60);
    EXPECT_DOUBLE_EQ(waypoints[0].longitude, -(87 + 8.082 / 60));
    EXPECT_EQ(waypoints[1].name, "Caf\xC3\xA9");
    EXPECT_DOUBLE_EQ(waypoints[1].latitude, -(48 + 7.038 / 60));
    EXPECT_EQ(read.document.TrackPointCount(), 1);
    EXPECT_EQ(read.findings.All(),
              (std::vector<Finding>{{FindingKind::Unusable, "", 1},
                                    {FindingKind::Skipped, "1 sentence with a wrong checksum was skipped", 1}}));

    const ReadResult tracks = ReadNmeaLogFile(InputSource::Memory("log", log), {.mode = ReadMode::Tracks});
    EXPECT_TRUE(tracks.document.waypoints.empty());
    EXPECT_EQ(tracks.waypointsLeftOut, 2);
    EXPECT_EQ(tracks.document.TrackPointCount(), 1);
}

// Logs some Windows tools write: ASCII in 16-bit units, either byte order,
// with or without a byte-order mark, from a file or memory. A unit that is
// not ASCII (here one whose bytes are a line end) makes its sentence
// unreadable, as a wrong checksum does; an odd byte at the end is no character.
TEST(NmeaFiles, SixteenBitLogsAreToldAndReadInEitherByteOrder)
{
    std::string log = Fixes(60000);  // 3 MB of 16-bit text: longer than the reader's window
    log.insert(60, "~");             // inside the second fix
    for (const Order order : {Order::LittleEndian, Order::BigEndian})
        for (const bool mark : {true, false}) {
            SCOPED_TRACE(std::to_string(order == Order::LittleEndian) + std::to_string(mark));
            const std::string bytes = Utf16(log, order, mark, u'\u0D0A') + "\x01";
            EXPECT_TRUE(TakenForNmea(bytes));
            TempDir dir;
            WriteText(dir.Path("log.nmea"), bytes);
            for (const ReadResult& read :
                 {ReadNmeaLogFile(InputSource::File(dir.Path("log.nmea")), {}), ReadMemory(ReadNmeaLogFile, bytes)}) {
                ASSERT_EQ(read.document.TrackPointCount(), 59999);
                EXPECT_EQ(Held(TrackPoints(read).back()), "|||||1994-03-23T16:39:59Z");
                EXPECT_EQ(read.findings.All(),
                          (std::vector<Finding>{
                              {FindingKind::Skipped, "1 sentence with a character other than ASCII was skipped", 1}}));
            }
        }
}
