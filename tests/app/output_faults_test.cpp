// SPDX-License-Identifier: GPL-3.0-or-later
// Faults on the output side: whatever stops a write (a read-only folder, a
// folder where the file should be, a full disk, an output that is an input,
// too many track files, a signal), the conversion ends with the error text,
// leaves no partial file behind and keeps every earlier file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "formats/format_table.h"
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
        std::snprintf(line, sizeof line, "$GPRMC,12%02d%02d,A,4807.%03d,N,01131.000,E,022.4,084.4,230394,003.1,W\r\n",
                      i / 60, i % 60, i);
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

// A GPX file of `tracks` tracks of `points` points each.
std::string GpxTracks(int tracks, int points)
{
    std::string gpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    for (int t = 0; t < tracks; ++t) {
        gpx += points == 0 ? "<trk/>\n" : "<trk><trkseg>\n";
        for (int i = 0; i < points; ++i)
            gpx += "<trkpt lat=\"45." + std::to_string(100000 + i) + "\" lon=\"7.5\"><ele>" + std::to_string(t) +
                   "</ele></trkpt>\n";
        if (points > 0) gpx += "</trkseg></trk>\n";
    }
    return gpx + "</gpx>\n";
}

std::string LastLine(const HeadlessResult& run) { return run.lines.empty() ? "" : run.lines.back(); }

// kes-headless arguments: the GPX tracks of `input` into native track files named after `output`.
std::vector<std::string> GpxToTrackFiles(const std::string& input, const std::string& output)
{
    return {PositionText(Input::GpxTracks), PositionText(Output::KesTrack), output, input};
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

TEST(OutputFaults, ADiskFullPartWayThroughNineTrackFilesReplacesNoneOfThem)
{
    TempDir dir;
    const fs::path small = dir.Root() / "small";
    fs::create_directory(small);
    // 32 pages: the nine earlier files take one each, three or four new ones of 21 KB the rest.
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=128k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here: " << std::strerror(errno);
    WriteText(dir.Path("trip.gpx"), GpxTracks(9, 300));
    std::vector<std::string> names;
    for (int t = 1; t <= 9; ++t) names.push_back("trip_" + std::to_string(t) + ".plt");
    for (const std::string& name : names) WriteText((small / name).string(), kEarlier);
    const HeadlessResult run = RunLimited(GpxToTrackFiles(dir.Path("trip.gpx"), (small / "trip").string()), {});
    const std::vector<std::string> listing = FolderListing(small);
    std::vector<std::string> contents;
    for (const std::string& name : names) contents.push_back(ReadText((small / name).string()));
    ::umount2(small.c_str(), MNT_DETACH);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_EQ(LastLine(run).rfind("error: No space left on device: \"" + (small / "trip_").string(), 0), 0u)
        << run.output;
    EXPECT_EQ(listing, names);
    EXPECT_EQ(contents, std::vector<std::string>(9, kEarlier));
}

TEST(OutputFaults, NoOutputReplacesAnInputAndAnInputThatCannotBeExaminedSaysSo)
{
    TempDir dir;
    const std::string input = dir.Path("trip_2.plt");  // a GPX file, whatever its name
    WriteText(input, GpxTracks(3, 2));
    HeadlessResult run = RunHeadless(GpxToTrackFiles(input, dir.Path("trip.plt")));
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_EQ(LastLine(run), ErrorLine("Output File cannot be the same as the Input File", input));
    EXPECT_EQ(ReadText(input), GpxTracks(3, 2));
    EXPECT_EQ(FolderListing(dir.Root()), std::vector<std::string>{"trip_2.plt"});

    // Neither the input nor the output can be examined: two different files all the same.
    const fs::path locked = dir.Root() / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::none);
    run = RunLimited(GpxToTrackFiles((locked / "trip.gpx").string(), (locked / "trip.plt").string()),
                     {.honourFolderPermissions = true});
    fs::permissions(locked, fs::perms::owner_all);
    if (run.exitCode == kCannotDropPrivilege) GTEST_SKIP() << "cannot give up root's permission override here";
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_EQ(LastLine(run), ErrorLine("Permission denied", (locked / "trip.gpx").string()));
}

TEST(OutputFaults, EmptyTracksMakeNoFileAndMoreThanAThousandTrackFilesAreRefused)
{
    struct Case {
        int tracks, points, exitCode;
        std::string lastLine;
    };
    const Case cases[] = {
        {200000, 0, 0, "Done ....."},
        {1001, 1, 1,
         "error: The input holds more than 1000 tracks, and a conversion writes at most 1000 track files - this is a "
         "limitation of kesTranscribe. Nothing was written."},
    };
    for (const Case& c : cases) {
        TempDir dir;
        fs::create_directory(dir.Root() / "out");
        WriteText(dir.Path("many.gpx"), GpxTracks(c.tracks, c.points));
        const auto start = std::chrono::steady_clock::now();
        const HeadlessResult run = RunHeadless(GpxToTrackFiles(dir.Path("many.gpx"), dir.Path("out/many")));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << c.tracks;
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        EXPECT_EQ(LastLine(run), c.lastLine);
        EXPECT_TRUE(FolderListing(dir.Root() / "out").empty());
    }
}

namespace {
// kes-convert converting a large file into out/trip.plt, in a child that
// dumps no core; `fileSizeLimit` bytes at most per file, SIGXFSZ at its default.
pid_t StartLargeConversion(const TempDir& dir, rlim_t fileSizeLimit = RLIM_INFINITY)
{
    const std::string input = dir.Path("trip.gpx"), output = dir.Path("out/trip.plt");
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit noCore{0, 0}, size{fileSizeLimit, fileSizeLimit};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::setrlimit(RLIMIT_FSIZE, &size);
        std::signal(SIGXFSZ, SIG_DFL);
        const char* argv[] = {KES_CONVERT_PATH, "-q", input.c_str(), "-O", output.c_str(), nullptr};
        ::execv(argv[0], const_cast<char**>(argv));
        ::_exit(127);
    }
    return child;
}
}  // namespace

// Each signal that ends the process, sent once its first temporary file is
// there, or raised by a write past the file-size limit (SIGXFSZ, which ends
// the process with a core dump).
TEST(OutputFaults, ASignalDuringALargeWriteKeepsTheEarlierOutputAndLeavesNoTemporaryFile)
{
    struct Case {
        int signal;
        rlim_t fileSizeLimit;
    };
    for (const Case c : {Case{SIGTERM, RLIM_INFINITY}, Case{SIGQUIT, RLIM_INFINITY}, Case{SIGXFSZ, RLIM_INFINITY},
                         Case{SIGXFSZ, 4096}}) {
        SCOPED_TRACE(strsignal(c.signal) + std::string(c.fileSizeLimit == RLIM_INFINITY ? ", sent" : ", raised"));
        TempDir dir;
        WriteText(dir.Path("trip.gpx"), GpxTracks(100, 2000));
        fs::create_directory(dir.Root() / "out");
        WriteText(dir.Path("out/trip_1.plt"), kEarlier);
        const pid_t child = StartLargeConversion(dir, c.fileSizeLimit);
        if (c.fileSizeLimit == RLIM_INFINITY) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (FolderListing(dir.Root() / "out").size() < 2 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            ::kill(child, c.signal);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
        EXPECT_EQ(ReadText(dir.Path("out/trip_1.plt")), kEarlier);
        EXPECT_EQ(FolderListing(dir.Root() / "out"), std::vector<std::string>{"trip_1.plt"});
    }
}

TEST(OutputFaults, AReaderOfTheMessagesThatGoesAwayLeavesNoTemporaryFile)
{
    TempDir dir;
    WriteText(dir.Path("trip.gpx"), GpxTracks(100, 2000));
    WriteText(dir.Path("trip.nmea"), NmeaLog(100000));
    fs::create_directory(dir.Root() / "out");
    // Track files pending when the next line cannot be written; a GPX file,
    // once made before its input was read, being written.
    for (const char* conversion : {"trip.gpx -O out/trip.plt", "trip.nmea -O out/trip.gpx"})
        for (int run = 0; run < 2; ++run) {
            const std::string command = "cd '" + dir.Root().string() + "' && '" + KES_CONVERT_PATH + "' " + conversion +
                                        " 2>&1 | head -3 >/dev/null";
            ASSERT_EQ(std::system(command.c_str()), 0);
            for (const std::string& name : FolderListing(dir.Root() / "out"))
                EXPECT_EQ(name.rfind(".kes-", 0), std::string::npos) << conversion;
        }
}

namespace {
// Lines of `text` holding `part`.
std::size_t LinesWith(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (const std::string& line : LinesOf(text)) n += line.find(part) != std::string::npos ? 1 : 0;
    return n;
}

std::string JsonOf(const std::string& file, const std::string& expression)
{
    std::string out;
    RunShell("python3 -c " + Quoted("import json,sys; d=json.load(open(sys.argv[1])); print(" + expression + ")") +
                 " " + Quoted(file),
             out);
    return out;
}
}  // namespace

// Whether the report of a run in `dir` says it was interrupted, and lists exactly the files in out/.
std::string ReportedAndPlaced(const TempDir& dir)
{
    return JsonOf(dir.Path("r.json"), "d['interrupted'], sorted(w for f in d['files'] for w in f['written']) == "
                                      "sorted('out/' + n for n in __import__('os').listdir('" +
                                          dir.Path("out") + "'))");
}

// The report's failure is its own: every input is still tried, the summary
// said, the failure said after it in one line, and no temporary file left.
TEST(OutputFaults, AReportThatCannotBeWrittenFailsAloneAfterEveryInputIsTried)
{
    struct Case {
        const char* name;
        std::string report, around, says;
    };
    // The report to a reader gone after its first bytes, or in a file that outgrows the limit on file sizes.
    const Case cases[] = {
        {"reader gone", "-", "{ %s; echo $? >status; } | head -c 10 >/dev/null", "/dev/stdout: Broken pipe"},
        {"file too large", "r.json", "trap '' XFSZ; ulimit -f 8; %s; echo $? >status", "r.json: File too large"},
    };
    TempDir dir;
    fs::create_directory(dir.Root() / "in");
    for (int i = 0; i < 300; ++i) WriteText(dir.Path("in/log" + std::to_string(i) + ".nmea"), NmeaLog(1));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir.Root() / "out");
        const std::string command =
            "'" + std::string(KES_CONVERT_PATH) + "' -q --each -o kes-plt -O out in --report " + c.report + " 2>err";
        char shell[512];
        std::snprintf(shell, sizeof shell, c.around.c_str(), command.c_str());
        std::string ignored;
        RunShell("cd " + Quoted(dir.Root().string()) + " && " + shell, ignored);
        EXPECT_EQ(ReadText(dir.Path("status")), "1\n");
        EXPECT_EQ(FolderListing(dir.Root() / "out").size(), 300u);
        EXPECT_EQ(LinesOf(ReadText(dir.Path("err"))),
                  (std::vector<std::string>{"kes-convert: 300 converted", "kes-convert: " + c.says}));
        for (const std::string& name : FolderListing(dir.Root()))
            EXPECT_EQ(name.rfind(".kes-", 0), std::string::npos) << name;
    }
}

// A signal in a batch: every conversion complete before it is in place, on
// its line and in the report; the one under way leaves nothing; the run ends
// by that signal.
TEST(OutputFaults, ASignalInABatchKeepsEveryConversionCompleteBeforeIt)
{
    TempDir dir;
    fs::create_directory(dir.Root() / "in");
    constexpr int kInputs = 40;
    const std::string log = NmeaLog(20000);
    for (int i = 0; i < kInputs; ++i) WriteText(dir.Path("in/log" + std::to_string(i) + ".nmea"), log);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        SCOPED_TRACE(signal);
        fs::remove_all(dir.Root() / "out");
        const pid_t child = ::fork();
        if (child == 0) {
            if (::chdir(dir.Root().c_str()) != 0 || !std::freopen("err", "w", stderr)) ::_exit(126);
            const char* argv[] = {KES_CONVERT_PATH, "--each", "-o",   "gpx", "-O", "out", "in",
                                  "--report",       "r.json", nullptr};
            ::execv(argv[0], const_cast<char**>(argv));
            ::_exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while ((!fs::exists(dir.Root() / "out") || FolderListing(dir.Root() / "out").size() < 3) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        std::vector<std::string> placed;
        for (const std::string& name : FolderListing(dir.Root() / "out")) {
            EXPECT_EQ(name.rfind(".kes-", 0), std::string::npos) << name;
            placed.push_back("out/" + name);
        }
        EXPECT_GE(placed.size(), 2u);
        EXPECT_LT(placed.size(), static_cast<std::size_t>(kInputs));
        const std::string err = ReadText(dir.Path("err"));
        EXPECT_EQ(LinesWith(err, " -> out/"), placed.size()) << err;
        EXPECT_EQ(LinesOf(err).back(), "kes-convert: interrupted");
        EXPECT_EQ(JsonOf(dir.Path("r.json"), "d['interrupted'], sorted(w for f in d['files'] for w in f['written'])"),
                  "True " + JsonOf(
                                dir.Path("r.json"), "sorted(" + [&] {
                                    std::string list = "[";
                                    for (const std::string& name : placed) list += "'" + name + "',";
                                    return list + "]";
                                }() + ")"));
    }
}
