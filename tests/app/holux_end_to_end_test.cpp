// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "formats/native/Kes.h"
#include "tests/support/byte_builder.h"
#include "tests/support/format_positions.h"
#include "tests/support/test_files.h"

namespace {
namespace fs = std::filesystem;
constexpr std::size_t kTrackRecords = 131088;
constexpr std::size_t kRouteHeader = 21508, kRouteRecords = 21580;

template <typename T>
T At(const std::string& image, std::size_t offset)
{
    T value;
    std::memcpy(&value, image.data() + offset, sizeof value);
    return value;
}

std::vector<std::string> Progress(const std::string& loading, const std::string& input, const std::string& writing,
                                  const std::string& output, const std::string& written,
                                  const std::vector<std::string>& messages = {})
{
    std::vector<std::string> lines = {loading, input, "", "processing .....", "", writing, output};
    for (const std::string& m : messages) lines.push_back("message: " + m);
    lines.insert(lines.end(), {written, "", "Done ....."});
    return lines;
}

void WriteTrack(const std::string& path, int points, double latitude)
{
    std::string text =
        "Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n0,2,255," +
        fs::path(path).stem().string() + ",1,0,0,255\r\n0\r\n";
    for (int i = 0; i < points; ++i) text += std::to_string(latitude + i * 1e-4) + ",5.25,0,33,45000\r\n";
    WriteText(path, text);
}

// The points of a native track file.
std::vector<Point> TrackPoints(const std::string& path)
{
    return ReadTrackFile(InputSource::File(path), {}).document.tracks.at(0).points.ToVector();
}
}  // namespace

TEST(HoluxEndToEnd, NativeWaypointsSurviveTheWrtAndItsRoutesComeOutBeside)
{
    TempDir dir;
    const char* names[] = {"Harbour", "Old Mill Bridge", "Summit"};
    auto dateTime = [](int i) { return 40000.25 + i / 86400.0 * 61; };
    std::string wpt = "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n";
    for (int i = 1; i <= 3; ++i)
        wpt += "1," + std::string(names[i - 1]) + "," + std::to_string(51.123456 - i) + "," +
               std::to_string(-3.654321 * i) + "," + std::to_string(dateTime(i)) + ",0,0,3,0,65535,stop " +
               std::to_string(i) + "\r\n";
    WriteText(dir.Path("in.wpt"), wpt);

    HeadlessResult r = RunHeadless({kKesWaypoint, kHoluxWaypoint, dir.Path("trip"), dir.Path("in.wpt")});
    EXPECT_EQ(r.lines, Progress("Loading Kes Waypoint file", dir.Path("in.wpt"), "Writing Holux Waypoint file",
                                dir.Path("trip"), "Written: 3 waypoints, 0 routes"));

    // A route of the third and first waypoint in record 4, named by route slot 0.
    std::string image = ReadText(dir.Path("trip.wrt"));
    ASSERT_EQ(image.size(), 32768u);
    ByteBuilder patch;
    patch.bytes.assign(image.begin(), image.end());
    patch.put<std::int16_t>(kRouteHeader + 8, 4).put<std::uint8_t>(kRouteHeader + 48 + 4, 0xFF);
    const std::size_t route = kRouteRecords + 92 * 4;
    for (std::size_t i = 0; i < 8; ++i) patch.put<char>(route + i, "Loop    "[i]);
    patch.put<std::int16_t>(route + 20, 2).put<std::int16_t>(route + 22, 2).put<std::int16_t>(route + 24, 0);
    WriteText(dir.Path("trip.wrt"), patch.str());

    r = RunHeadless({kHoluxWaypoint, kKesWaypoint, dir.Path("back.txt"), dir.Path("trip.wrt")});
    std::vector<std::string> expected =
        Progress("Loading Holux Waypoint file", dir.Path("trip.wrt"), "Writing Kes Waypoint file", dir.Path("back.wpt"),
                 "Written: 3 waypoints, 1 route");
    expected.insert(expected.end() - 3, {"Writing Kes Route file", dir.Path("back.rte")});
    EXPECT_EQ(r.lines, expected);

    const std::vector<Point> back =
        ReadWaypointFile(InputSource::File(dir.Path("back.wpt")), {}).document.waypoints.ToVector();
    ASSERT_EQ(back.size(), 3u);
    for (int i = 1; i <= 3; ++i) {
        const Point& p = back[static_cast<std::size_t>(i - 1)];
        EXPECT_EQ(p.name, std::string(names[i - 1]).substr(0, 8));
        EXPECT_EQ(p.description, "stop " + std::to_string(i));
        EXPECT_NEAR(p.latitude, 51.123456 - i, 0.5 / 36000 + 1e-6);
        EXPECT_NEAR(p.longitude, -3.654321 * i, 0.5 / 36000 + 1e-6);
        EXPECT_NEAR(DayCountOf(p.time.value()), dateTime(i), 0.5 / 86400 + 1e-7);
    }
    // The document's first route takes the route file's slot 1, its points numbered in order.
    std::vector<std::string> loop;
    for (const std::string& line : SplitCrLf(ReadText(dir.Path("back.rte"))))
        if (line.rfind("W,  1,", 0) == 0 || line.rfind("R,  1,", 0) == 0) loop.push_back(line);
    ASSERT_EQ(loop.size(), 3u);
    EXPECT_EQ(loop[0].rfind("R,  1,Loop ", 0), 0u);
    EXPECT_EQ(loop[1].rfind("W,  1,  1,  1,Summit ", 0), 0u);
    EXPECT_EQ(loop[2].rfind("W,  1,  2,  2,Harbour ", 0), 0u);
}

TEST(HoluxEndToEnd, SixTrackFilesMergeIntoFiveSlotsWithTheTrackMessage)
{
    TempDir dir;
    std::vector<std::string> args = {kKesTrack, kHoluxTrack, dir.Path("merged")};
    for (int t = 1; t <= 6; ++t) {
        args.push_back(dir.Path("t" + std::to_string(t) + ".plt"));
        WriteTrack(args.back(), 10 * t, 40 + t);
    }
    const HeadlessResult r = RunHeadless(args);
    std::vector<std::string> expected = {"Loading Kes Track file(s)"};
    expected.insert(expected.end(), args.begin() + 3, args.begin() + 8);
    expected.insert(expected.end(), {"", "processing .....", "", "Writing Holux Track file", dir.Path("merged"),
                                     "Written: 150 track points",
                                     "message: Only the first 5 selected Tracks are saved - this is a limitation "
                                     "of the tlg format.",
                                     "", "Done ....."});
    EXPECT_EQ(r.lines, expected);

    const std::string image = ReadText(dir.Path("merged.tlg"));
    ASSERT_EQ(image.size(), 133120u);
    const std::size_t slots[5] = {0, 20000, 40000, 65536, 85536};
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(At<std::int16_t>(image, kTrackRecords + 44 * t), 10 * (t + 1));
        EXPECT_EQ(image.substr(kTrackRecords + 44 * t + 4, 3), "t" + std::to_string(t + 1) + '\0');
        EXPECT_EQ(At<std::int32_t>(image, slots[t] + 4), -(41 + t) * 36000);
    }
}

TEST(HoluxEndToEnd, ATrackImageSplitsIntoOneFilePerSlotWithPoints)
{
    TempDir dir;
    ByteBuilder image;
    image.fill(133120, 0xFF);
    for (std::size_t i = 131072; i < kTrackRecords + 220; ++i) image.put<std::uint8_t>(i, 0);
    for (int slot : {0, 2}) {
        const std::size_t record = kTrackRecords + 44 * static_cast<std::size_t>(slot);
        image.put<std::int16_t>(record, 2).put<std::int16_t>(record + 2, 2).put<std::int32_t>(record + 32, -1);
        image.put<char>(record + 4, 'S').put<char>(record + 5, static_cast<char>('0' + slot));
        const std::size_t points = slot == 0 ? 0 : 40000;
        image.put<std::int32_t>(points, 180000).put<std::int32_t>(points + 4, -1800000);
        image.put<std::int32_t>(points + 8, 180036).put<std::int32_t>(points + 12, -1800036);
    }
    WriteText(dir.Path("log.tlg"), image.str());

    const HeadlessResult r = RunHeadless({kHoluxTrack, kKesTrack, dir.Path("name.plt"), dir.Path("log.tlg")});
    EXPECT_EQ(r.lines, Progress("Loading Holux Track file", dir.Path("log.tlg"), "Writing Kes Track file(s)",
                                dir.Path("name.plt"), "Written: 4 track points in 2 track files"));
    EXPECT_TRUE(fs::exists(dir.Path("name_1.plt")));
    EXPECT_TRUE(fs::exists(dir.Path("name_3.plt")));
    for (const char* absent : {"name.plt", "name_2.plt", "name_4.plt", "name_5.plt"})
        EXPECT_FALSE(fs::exists(dir.Path(absent))) << absent;

    const std::vector<std::string> lines = SplitCrLf(ReadText(dir.Path("name_3.plt")));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[4], "0,2,255,S2,1,0,0,255");
    EXPECT_EQ(lines[6].substr(0, 34), "  50.000000,   5.000000,1,   -777,");
    EXPECT_EQ(lines[7].substr(0, 34), "  50.001000,   5.001000,0,   -777,");
}

// Track inputs of one track: the .tlg holds it in slot 0, the same track the
// native output of the same input holds.
TEST(HoluxEndToEnd, ATrackInputOfOneTrackBecomesSlotZero)
{
    const std::pair<std::string, const char*> inputs[] = {{kMapsendTrack, "mapsend/chicago.trk"},
                                                          {kNmea, "nmea/receiver.log"},
                                                          {kMagellanTrack, "magellan/meridian.trk"}};
    for (const auto& [position, fixture] : inputs) {
        TempDir dir;
        const HeadlessResult native = RunHeadless({position, kKesTrack, dir.Path("ref.plt"), FixturePath(fixture)});
        ASSERT_EQ(native.exitCode, 0) << fixture;
        const HeadlessResult r = RunHeadless({position, kHoluxTrack, dir.Path("out"), FixturePath(fixture)});
        ASSERT_EQ(r.exitCode, 0) << fixture;
        ASSERT_GE(r.lines.size(), 7u);
        EXPECT_EQ(r.lines[5], "Writing Holux Track file");

        const std::vector<Point> points = TrackPoints(dir.Path("ref.plt"));
        const std::string image = ReadText(dir.Path("out.tlg"));
        ASSERT_EQ(image.size(), 133120u) << fixture;
        const int expected = std::min(static_cast<int>(points.size()), 2500);
        EXPECT_EQ(At<std::int16_t>(image, kTrackRecords), expected) << fixture;
        EXPECT_EQ(At<std::int32_t>(image, kTrackRecords + 32), -1) << fixture;
        EXPECT_EQ(At<std::int16_t>(image, kTrackRecords + 44), 0) << fixture;
        const double withinAUnit = 0.5 / 36000 + 1e-6;  // the image's unit against the text's 6 decimals
        for (int i : {0, expected - 1}) {
            if (i < 0) continue;
            const Point& p = points[static_cast<std::size_t>(i)];
            EXPECT_NEAR(At<std::int32_t>(image, 8 * i) / 36000.0, p.longitude, withinAUnit) << fixture;
            EXPECT_NEAR(-At<std::int32_t>(image, 8 * i + 4) / 36000.0, p.latitude, withinAUnit) << fixture;
        }
    }
}

// MapSource track input: its first five tracks take the slots, the same tracks
// it writes as native track files, with no file left beside the image.
TEST(HoluxEndToEnd, MapsourceTracksTakeTheSlotsInOrder)
{
    TempDir dir;
    fs::create_directories(dir.Path("image"));
    fs::create_directories(dir.Path("native"));
    const std::string input = FixturePath("mapsource/gdb-sample.gdb");
    const HeadlessResult r = RunHeadless({kMapsourceTracks, kHoluxTrack, dir.Path("image/out"), input});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path("image")), fs::directory_iterator{}), 1);
    ASSERT_EQ(RunHeadless({kMapsourceTracks, kKesTrack, dir.Path("native/out"), input}).exitCode, 0);
    const std::string image = ReadText(dir.Path("image/out.tlg"));
    ASSERT_EQ(image.size(), 133120u);
    for (int t = 0; t < 5; ++t) {
        const std::string track = dir.Path("native/out_" + std::to_string(t + 1) + ".plt");
        if (!fs::exists(track)) {
            EXPECT_EQ(At<std::int32_t>(image, kTrackRecords + 44 * t + 32), 0) << t;
            continue;
        }
        const std::vector<Point> points = TrackPoints(track);
        EXPECT_EQ(At<std::int16_t>(image, kTrackRecords + 44 * t), std::min<int>(static_cast<int>(points.size()), 2500))
            << t;
        const std::size_t slots[5] = {0, 20000, 40000, 65536, 85536};
        if (!points.empty()) {
            EXPECT_NEAR(-At<std::int32_t>(image, slots[t] + 4) / 36000.0, points[0].latitude, 0.5 / 36000 + 1e-6) << t;
        }
    }
    const bool moreThanFive = fs::exists(dir.Path("native/out_6.plt"));
    const std::string message =
        "message: Only the first 5 selected Tracks are saved - this is a limitation of the tlg format.";
    EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), message), moreThanFive ? 1 : 0);
}
