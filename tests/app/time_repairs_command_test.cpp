// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "tests/support/byte_builder.h"
#include "tests/support/sample_files.h"
#include "tests/support/test_files.h"

namespace {
using namespace std::chrono;

void SetModified(const std::string& path, sys_days day)
{
    std::filesystem::last_write_time(path, file_clock::from_sys(sys_seconds(day)));
}

std::string Rmc(const char* time, const char* date, const char* talker = "GP")
{
    return std::string("$") + talker + "RMC," + time + ",A,4807.038,N,01131.000,E,022.4,084.4," + date + ",003.1,W\r\n";
}

// A Holux waypoint image of one waypoint dated 1999-08-24 12:00 (the .tlg holds no times).
std::string HoluxWaypointOf1999()
{
    ByteBuilder b = samples::EmptyWrtImage();
    b.put<std::int16_t>(8, 0);
    ByteBuilder r;
    r.fixed("CAMP", 8, ' ').fixed("note", 12, ' ').i32(36000).i32(-360000);
    r.u8(24).u8(8).u16(1999).u32(43200).u16(0).u8(1).u8(0);
    std::copy(r.bytes.begin(), r.bytes.end(), b.bytes.begin() + 1508);
    return b.str();
}

const char* kEarly = "times of 1999-08-24 look 1024 weeks early: receiver week rollover; --rollover repairs them";

// Only what a file shows of itself warns: a log of several systems' fixes
// dated 1999 was written by a receiver that lost 1024 weeks; honest 1999
// data is not warned of, however recently the file was copied.
TEST(TimeRepairsCommand, EarlyTimesAreWarnedOfOnlyWhereTheFileShowsThem)
{
    const struct {
        const char* name;
        std::string content;
        bool early;
    } inputs[] = {{"gn.nmea", Rmc("120000", "240899", "GN") + Rmc("120100", "240899", "GN"), true},
                  {"gp.nmea", Rmc("120000", "240899") + Rmc("120100", "240899"), false},
                  {"camp.wrt", HoluxWaypointOf1999(), false}};
    TempDir dir;
    for (const auto& input : inputs) {
        const std::string path = dir.Path(input.name);
        WriteText(path, input.content);
        for (const sys_days modified : {sys_days(2024y / May / 1d), sys_days(1999y / August / 25d)}) {
            SetModified(path, modified);
            const CommandResult plain = RunConvert({"-q", path, "-O", dir.Path("out.gpx"), "-o", "gpx"});
            EXPECT_EQ(plain.err.find(kEarly) != std::string::npos, input.early) << input.name << plain.err;
            const CommandResult info = RunConvert({"--info", path});
            EXPECT_EQ(info.err.find(kEarly) != std::string::npos, input.early) << input.name << info.err;
            EXPECT_NE(info.out.find("time: 1999-08-24T12:00:00Z"), std::string::npos) << info.out;
            EXPECT_EQ(info.out.find("weeks later"), std::string::npos) << info.out;
        }
    }
    // --rollover repairs the log; --info --rollover shows the times as the repair makes them, and says so.
    const std::string log = dir.Path("gn.nmea");
    const CommandResult repaired =
        RunConvert({"--rollover", log, "-O", dir.Path("out.gpx"), "-o", "gpx", "--report", dir.Path("r.json")});
    EXPECT_EQ(repaired.exitCode, 0) << repaired.err;
    EXPECT_EQ(repaired.err.find("look 1024 weeks early"), std::string::npos);
    EXPECT_NE(repaired.err.find("repairs: rollover 1)"), std::string::npos) << repaired.err;
    EXPECT_NE(ReadText(dir.Path("out.gpx")).find("<time>2019-04-09T12:00:00Z</time>"), std::string::npos);
    EXPECT_NE(ReadText(dir.Path("r.json")).find("\"repairs\": [\"rollover 1\"]"), std::string::npos);
    const CommandResult once = RunConvert({"--info", "--rollover", log});
    ASSERT_EQ(once.exitCode, 0) << once.err;
    EXPECT_EQ(once.err, "");
    EXPECT_NE(once.out.find("  times shown 1024 weeks later than the file holds them (--rollover)\n"),
              std::string::npos)
        << once.out;
    EXPECT_NE(once.out.find("time: 2019-04-09T12:00:00Z to 2019-04-09T12:01:00Z"), std::string::npos) << once.out;
    const CommandResult twice = RunConvert({"--info", "--json", "--rollover=2", log});
    ASSERT_EQ(twice.exitCode, 0) << twice.err;
    EXPECT_NE(twice.out.find("\"repairs\": [\"rollover 2\"]"), std::string::npos) << twice.out;
    EXPECT_NE(twice.out.find("\"start\": \"2038-11-23T12:00:00Z\""), std::string::npos) << twice.out;
}

// Times of a GPX file, in order, the file's own (metadata) left out.
std::vector<std::string> PointTimes(const std::string& gpx)
{
    std::vector<std::string> times;
    for (std::size_t at = gpx.find("</metadata>"); (at = gpx.find("<time>", at)) != std::string::npos; at += 6)
        times.push_back(gpx.substr(at + 6, 20));
    return times;
}

// Wall-clock times of Berlin across the spring change, then shifted, read
// back from GPX and from the native track file.
TEST(TimeRepairsCommand, ZoneAndShiftGiveUtcThroughGpxAndTheNativeTrack)
{
    TempDir dir;
    const std::string log = dir.Path("local.nmea");
    WriteText(log, Rmc("003000", "310324") + Rmc("013000", "310324") + Rmc("033000", "310324"));
    const std::vector<std::string> expected = {"2024-03-30T23:31:00Z", "2024-03-31T00:31:00Z", "2024-03-31T01:31:00Z"};
    const CommandResult gpx =
        RunConvert({"--shift=+1m", "--tz", "Europe/Berlin", log, "-O", dir.Path("out.gpx"), "-o", "gpx"});
    ASSERT_EQ(gpx.exitCode, 0) << gpx.err;
    EXPECT_EQ(PointTimes(ReadText(dir.Path("out.gpx"))), expected);
    const CommandResult native =
        RunConvert({"--tz", "Europe/Berlin", "--shift", "+1m", log, "-O", dir.Path("out.plt"), "-o", "kes-plt"});
    ASSERT_EQ(native.exitCode, 0) << native.err;
    EXPECT_NE(native.err.find("repairs: zone Europe/Berlin, shift +1m"), std::string::npos) << native.err;
    ASSERT_EQ(RunConvert({"-q", dir.Path("out.plt"), "-O", dir.Path("back.gpx"), "-o", "gpx"}).exitCode, 0);
    EXPECT_EQ(PointTimes(ReadText(dir.Path("back.gpx"))), expected);
}

// Each kind of undated input takes the day --date gives, in GPX and, read
// back, in the native file; without it GPX has no point time.
TEST(TimeRepairsCommand, DateGivesEachUndatedKindItsDay)
{
    const struct {
        const char* format;
        std::string content;
        const char* native;
        const char* time;
    } cases[] = {
        {"nmea", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,\r\n", "kes-plt", "2024-03-31T12:35:19Z"},
        {"magellan-trk", "$PMGNTRK,4807.038,N,01131.000,E,00610,M,123519.00,A,,*6A\r\n", "kes-plt",
         "2024-03-31T12:35:19Z"},
        {"magellan-wpt", samples::kMagellanWaypoint, "kes-wpt", "2024-03-31T00:00:00Z"},
        {"mapsend-wpt", samples::MapsendWaypoints(), "kes-wpt", "2024-03-31T00:00:00Z"},
        {"nobletec-wpt", samples::Nobletec(), "kes-wpt", "2024-03-31T00:00:00Z"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string input = dir.Path("in.dat");
        WriteText(input, c.content);
        const auto convert = [&](std::vector<std::string> arguments) {
            arguments.insert(arguments.end(), {"-q", "-i", c.format, input});
            return RunConvert(arguments);
        };
        ASSERT_EQ(convert({"-O", dir.Path("plain.gpx"), "-o", "gpx"}).exitCode, 0) << c.format;
        EXPECT_TRUE(PointTimes(ReadText(dir.Path("plain.gpx"))).empty()) << c.format;
        ASSERT_EQ(convert({"--date", "2024-03-31", "-O", dir.Path("dated.gpx"), "-o", "gpx"}).exitCode, 0);
        EXPECT_EQ(PointTimes(ReadText(dir.Path("dated.gpx"))).front(), c.time) << c.format;
        const CommandResult native = convert({"--date", "2024-03-31", "-O", dir.Path("native"), "-o", c.native});
        ASSERT_EQ(native.exitCode, 0) << native.err;
        EXPECT_EQ(native.err.find("time of conversion"), std::string::npos) << c.format;
        const std::string nativeFile = dir.Path("native");  // -O names the file exactly
        ASSERT_EQ(RunConvert({"-q", "-i", c.native, nativeFile, "-O", dir.Path("back.gpx"), "-o", "gpx"}).exitCode, 0);
        EXPECT_EQ(PointTimes(ReadText(dir.Path("back.gpx"))).front(), c.time) << c.format;
    }
}
}  // namespace
