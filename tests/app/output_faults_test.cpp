// SPDX-License-Identifier: GPL-3.0-or-later
// Faults on the output side: whatever stops a write (a read-only folder, a
// folder where the file should be, a full disk), the conversion ends with the
// error text, leaves no partial file behind and keeps an earlier file of that
// name as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/support/byte_builder.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {
struct ChildLimits {
    bool honourFolderPermissions = false;
    rlim_t maxFileSize = RLIM_INFINITY;
};

// kes-headless in a child process with the limits applied, stdout and stderr together.
HeadlessResult RunLimited(const std::vector<std::string>& arguments, const ChildLimits& limits)
{
    HeadlessResult result;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return result;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::dup2(pipeEnds[1], STDERR_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        if (limits.honourFolderPermissions && !DropPermissionOverride()) ::_exit(kCannotDropPrivilege);
        if (limits.maxFileSize != RLIM_INFINITY) {
            // Ignored, a write past the limit fails with EFBIG as on a full disk instead of killing the process.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{limits.maxFileSize, limits.maxFileSize};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<std::string> words{KES_HEADLESS_PATH};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) result.lines.push_back(line);
    return result;
}

std::vector<std::string> FolderListing(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A log of `fixes` positions, giving a track file of roughly 70 bytes per fix.
std::string NmeaLog(int fixes)
{
    std::string log;
    char line[128];
    for (int i = 0; i < fixes; ++i) {
        std::snprintf(line, sizeof line,
                      "$GPRMC,12%02d%02d,A,4807.%03d,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n", i / 60, i % 60,
                      i);
        log += line;
    }
    return log;
}

std::string KesWaypoints()
{
    return "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n"
           "   1,WP1,  51.500000,  -0.100000,33605.0000000,  0, 0, 3,         0,     65535,, 0, 0,    0,   -777, 8, "
           "0,17,0,10.0,2,,,\r\n";
}

std::string ErrorLine(const std::string& systemMessage, const std::string& path)
{
    return "error: " + systemMessage + ": \"" + path + "\"";
}

// A Holux track image whose first slot holds `points` points, the other slots empty.
std::string HoluxTrackImage(int points)
{
    ByteBuilder image;
    image.fill(133120, 0xFF);
    for (int i = 0; i < 2500; ++i)
        image.put<std::int32_t>(8 * i, i < points ? 450000 + i : 0)
            .put<std::int32_t>(8 * i + 4, i < points ? -360000 - i : 0);
    for (std::size_t k = 131072; k < 131308; ++k) image.put<std::uint8_t>(k, 0);
    image.put<std::uint32_t>(131072, 0x38CB1200).put<std::uint16_t>(131078, static_cast<std::uint16_t>(points));
    image.put<std::int16_t>(131088, static_cast<std::int16_t>(points))
        .put<std::int16_t>(131090, static_cast<std::int16_t>(points));
    image.put<std::int32_t>(131088 + 32, -1).put<std::int32_t>(131088 + 36, -1);
    return image.str();
}

constexpr int kKesWaypointIn = 0, kHoluxTrackIn = 3, kNmeaIn = 8;
constexpr int kKesTrackOut = 1, kHoluxWaypointOut = 2;
const std::string kEarlier = "an earlier file of this name\r\n";
}  // namespace

TEST(OutputFaults, ReadOnlyOutputFolderEndsWithTheErrorAndKeepsTheEarlierFile)
{
    TempDir dir;
    const fs::path locked = dir.Root() / "locked";
    fs::create_directory(locked);
    WriteText(dir.Path("trip.nmea"), NmeaLog(5));
    const std::string target = (locked / "trip.plt").string();
    WriteText(target, kEarlier);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);

    const HeadlessResult run = RunLimited(
        {std::to_string(kNmeaIn), std::to_string(kKesTrackOut), (locked / "trip").string(), dir.Path("trip.nmea")},
        {.honourFolderPermissions = true});
    fs::permissions(locked, fs::perms::owner_all);
    if (run.exitCode == kCannotDropPrivilege) GTEST_SKIP() << "cannot give up root's permission override here";

    EXPECT_EQ(run.exitCode, 1) << run.output;
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.back(), ErrorLine("Permission denied", target));
    EXPECT_EQ(ReadText(target), kEarlier);
    EXPECT_EQ(FolderListing(locked), std::vector<std::string>{"trip.plt"});
}

TEST(OutputFaults, OutputPathThatIsAFolderEndsWithTheErrorAndStaysAFolder)
{
    TempDir dir;
    WriteText(dir.Path("trip.nmea"), NmeaLog(5));
    WriteText(dir.Path("points.wpt"), KesWaypoints());
    const fs::path out = dir.Root() / "out";
    fs::create_directories(out / "trip.plt");
    fs::create_directories(out / "points.wrt");
    WriteText((out / "trip.plt" / "inside").string(), kEarlier);

    struct Case {
        int input, output;
        std::string inputName, outputName, target;
    };
    const Case cases[] = {
        {kNmeaIn, kKesTrackOut, dir.Path("trip.nmea"), (out / "trip").string(), (out / "trip.plt").string()},
        {kKesWaypointIn, kHoluxWaypointOut, dir.Path("points.wpt"), (out / "points").string(),
         (out / "points.wrt").string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const HeadlessResult run =
            RunLimited({std::to_string(c.input), std::to_string(c.output), c.outputName, c.inputName}, {});
        EXPECT_EQ(run.exitCode, 1) << run.output;
        ASSERT_FALSE(run.lines.empty());
        EXPECT_EQ(run.lines.back(), ErrorLine("Is a directory", c.target));
        EXPECT_TRUE(fs::is_directory(c.target));
    }
    EXPECT_EQ(ReadText((out / "trip.plt" / "inside").string()), kEarlier);
    EXPECT_EQ(FolderListing(out), (std::vector<std::string>{"points.wrt", "trip.plt"}));
}

TEST(OutputFaults, FullDiskEndsWithTheErrorLeavesNoPartialFileAndKeepsTheEarlierFile)
{
    TempDir dir;
    WriteText(dir.Path("trip.nmea"), NmeaLog(200));
    WriteText(dir.Path("points.wpt"), KesWaypoints());
    WriteText(dir.Path("logger.tlg"), HoluxTrackImage(200));
    const fs::path out = dir.Root() / "out";
    fs::create_directory(out);
    for (const char* name : {"trip.plt", "points.wrt", "logger_1.plt"}) WriteText((out / name).string(), kEarlier);

    struct Case {
        int input, output;
        std::string inputName, outputName, target;
    };
    // Each output is past the limit: the track files about 14 KB (the second
    // written by the reader itself), the Holux image 32 KB.
    const Case cases[] = {
        {kNmeaIn, kKesTrackOut, dir.Path("trip.nmea"), (out / "trip").string(), (out / "trip.plt").string()},
        {kKesWaypointIn, kHoluxWaypointOut, dir.Path("points.wpt"), (out / "points").string(),
         (out / "points.wrt").string()},
        {kHoluxTrackIn, kKesTrackOut, dir.Path("logger.tlg"), (out / "logger").string(),
         (out / "logger_1.plt").string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const HeadlessResult run = RunLimited(
            {std::to_string(c.input), std::to_string(c.output), c.outputName, c.inputName}, {.maxFileSize = 4096});
        EXPECT_EQ(run.exitCode, 1) << run.output;
        ASSERT_FALSE(run.lines.empty());
        EXPECT_EQ(run.lines.back(), ErrorLine("File too large", c.target));
        EXPECT_EQ(ReadText(c.target), kEarlier);
    }
    EXPECT_EQ(FolderListing(out), (std::vector<std::string>{"logger_1.plt", "points.wrt", "trip.plt"}));

    // The same conversions with room enough replace the earlier files completely.
    for (const Case& c : cases) {
        const HeadlessResult run =
            RunLimited({std::to_string(c.input), std::to_string(c.output), c.outputName, c.inputName}, {});
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(ReadText(c.target), kEarlier);
    }
    EXPECT_GT(fs::file_size(out / "trip.plt"), 4096u);
    EXPECT_GT(fs::file_size(out / "logger_1.plt"), 4096u);
    EXPECT_EQ(fs::file_size(out / "points.wrt"), 32768u);
}
