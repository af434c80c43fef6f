// SPDX-License-Identifier: GPL-3.0-or-later
// A conversion cut short by a signal (kill, Ctrl-C, a reader of its messages
// that goes away) leaves the earlier output as it was and no temporary file.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {
// Many tracks of many points: the track files stay pending for a while.
std::string LargeGpx()
{
    std::string gpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    for (int t = 0; t < 100; ++t) {
        gpx += "<trk><trkseg>\n";
        for (int i = 0; i < 2000; ++i)
            gpx += "<trkpt lat=\"45." + std::to_string(100000 + i) +
                   "\" lon=\"7.5\"><time>2020-01-01T00:00:00Z</time>"
                   "</trkpt>\n";
        gpx += "</trkseg></trk>\n";
    }
    return gpx + "</gpx>\n";
}

// One native track of the most points it can hold.
std::string LargeTrackFile()
{
    std::string plt =
        "Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n0,2,255,,1,0,0,"
        "255\r\n0\r\n";
    for (int i = 0; i < 100000; ++i)
        plt += "  45." + std::to_string(100000 + i) + ",   7.500000,0,   -777,43831.0000000, 01-Jan-20, 00:00:00\r\n";
    return plt;
}

bool HoldsATemporaryFile(const fs::path& folder)
{
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".kes-", 0) == 0) return true;
    return false;
}

const std::string kEarlier = "an earlier file of this name\r\n";
}  // namespace

TEST(Interruptions, SigtermDuringALargeWriteKeepsTheEarlierOutputAndLeavesNoTemporaryFile)
{
    TempDir dir;
    WriteText(dir.Path("trip.gpx"), LargeGpx());
    fs::create_directory(dir.Root() / "out");
    const std::string earlier = dir.Path("out/trip_1.plt");
    WriteText(earlier, kEarlier);
    const std::string input = dir.Path("trip.gpx"), output = dir.Path("out/trip.plt");
    const pid_t child = ::fork();
    if (child == 0) {
        const char* argv[] = {KES_CONVERT_PATH, "-q", input.c_str(), "-O", output.c_str(), nullptr};
        ::execv(argv[0], const_cast<char**>(argv));
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!HoldsATemporaryFile(dir.Root() / "out") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the conversion ended before it was interrupted";
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(ReadText(earlier), kEarlier);
    EXPECT_EQ(fs::file_size(earlier), kEarlier.size());
    EXPECT_FALSE(HoldsATemporaryFile(dir.Root() / "out"));
    EXPECT_FALSE(fs::exists(dir.Path("out/trip_2.plt")));
}

TEST(Interruptions, AReaderOfTheMessagesThatGoesAwayLeavesNoTemporaryFile)
{
    TempDir dir;
    WriteText(dir.Path("trip.gpx"), LargeGpx());
    WriteText(dir.Path("trip.plt"), LargeTrackFile());
    fs::create_directory(dir.Root() / "out");
    // Track files pending when the next line cannot be written; a GPX file,
    // once made before its input was read.
    for (const char* conversion : {"trip.gpx' -O 'out/trip.plt", "trip.plt' -O 'out/trip.gpx"}) {
        const std::string command = "cd '" + dir.Root().string() + "' && '" + KES_CONVERT_PATH + "' '" + conversion +
                                    "' 2>&1 | head -3 >/dev/null";
        for (int run = 0; run < 2; ++run) {
            ASSERT_EQ(std::system(command.c_str()), 0);
            EXPECT_FALSE(HoldsATemporaryFile(dir.Root() / "out")) << conversion;
        }
    }
}
