// SPDX-License-Identifier: GPL-3.0-or-later
// kes-convert reading what is not a plain file at rest: pipes, FIFOs, devices,
// and files that fail or are cut short while they are read.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

#include "tests/support/packed_files.h"
#include "tests/support/test_files.h"

namespace {
// 30,000 fixes, 2 MB: more than a pipe holds at once and than one read takes.
std::string LongNmeaLog()
{
    std::string log;
    char line[96];
    for (int i = 0; i < 30000; ++i) {
        std::snprintf(line, sizeof line, "$GPRMC,%02d%02d%02d,A,4807.%03d,N,01131.000,E,022.4,084.4,230394,003.1,W\r\n",
                      i / 3600, i / 60 % 60, i % 60, i % 1000);
        log += line;
    }
    return log;
}

// The point lines of a written track, after its six header lines.
std::vector<std::string> Points(const std::string& path)
{
    std::vector<std::string> lines = SplitCrLf(ReadText(path));
    lines.erase(lines.begin(), lines.begin() + std::min<std::size_t>(6, lines.size()));
    return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}  // namespace

TEST(CommandInput, APipeOrAFifoIsReadOnceWithAllItsPoints)
{
    TempDir dir;
    const std::string log = Quoted(dir.Path("log.nmea")), fifo = dir.Path("fifo"), out = dir.Path("out.plt");
    WriteText(dir.Path("log.nmea"), LongNmeaLog());
    // The look for the first fix of this one, past 6,000 lines of satellites in view, reads 400 KB of the pipe.
    std::string late;
    for (int i = 0; i < 6000; ++i) late += "$GPGSV,3,1,09,28,64,316,40,08,60,189,42,11,50,085,46,07,37,246,45*7A\r\n";
    WriteText(dir.Path("late.nmea"), late + LongNmeaLog());
    ASSERT_EQ(RunConvert({"-q", "-i", "nmea", dir.Path("log.nmea"), "-O", dir.Path("file.plt")}).exitCode, 0);
    const std::vector<std::string> expected = Points(dir.Path("file.plt"));
    ASSERT_EQ(expected.size(), 30000u);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    // The FIFO's writer opens it itself, under a timeout, so that nothing waits for ever.
    const std::string fifoWriter = "timeout 30 dd status=none if=" + log + " of=" + Quoted(fifo) + " >/dev/null 2>&1 &";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"cat " + log + " | timeout 30", {"-q", "-i", "nmea", "/dev/stdin", "-O", out}},
        {"cat " + log + " | timeout 30", {"-q", "/dev/stdin", "-O", out}},  // told from the content
        {"cat " + Quoted(dir.Path("late.nmea")) + " | timeout 30", {"-q", "/dev/stdin", "-O", out}},
        {fifoWriter + " timeout 30", {"-q", fifo, "-O", out}},
        {fifoWriter + " timeout 30", {"-q", "-i", "nmea", fifo, "-O", out}},
    };
    for (const auto& [shellText, arguments] : cases) {
        std::filesystem::remove(out);
        const CommandResult r = RunConvertAfter(shellText, arguments);
        EXPECT_EQ(r.exitCode, 0) << shellText << " " << arguments[1] << "\n" << r.err;
        EXPECT_EQ(Points(out), expected) << shellText << " " << arguments[1];
    }
}

TEST(CommandInput, AnEndlessDeviceOrAFailingReadEndsWithAMessage)
{
    TempDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"/dev/zero", "File too large"}, {"/proc/self/mem", "Input/output error"},  // its first page is never mapped
    };
    for (const auto& [input, message] : cases) {
        const CommandResult r = RunConvertAfter("timeout 30", {"-q", "-i", "nmea", input, "-O", dir.Path("out.plt")});
        EXPECT_EQ(r.exitCode, 1) << input;
        EXPECT_TRUE(Contains(r.err, message)) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.Path("out.plt"))) << input;
    }
}

namespace {
// What the process has read so far, in bytes.
std::size_t BytesRead(pid_t pid)
{
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    for (std::string key; io >> key;) {
        std::size_t value = 0;
        io >> value;
        if (key == "rchar:") return value;
    }
    return 0;
}
}  // namespace

// kes-convert is stopped once it has read a few megabytes of the file, the
// file is cut, and it goes on: the conversion fails with a message.
TEST(CommandInput, AFileCutShortWhileItIsReadFailsTheConversion)
{
    TempDir dir;
    const std::string log = dir.Path("log.nmea"), err = dir.Path("err");
    // Written in pieces: a child starts as a copy of this process, whose size it would report.
    std::string block;
    while (block.size() < (1u << 20)) block += "$GPGSV,3,1,12,01,40,083,46,02,17,308,41,12,07,344,39*43\r\n";
    constexpr std::size_t kBlocks = 64;
    const std::string out = dir.Path("out.plt");
    std::vector<std::string> arguments = {KES_CONVERT_PATH, "-q", "-i", "nmea", log, "-O", out};
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);

    for (int attempt = 0; attempt < 5; ++attempt) {
        {
            std::ofstream file(log, std::ios::binary | std::ios::trunc);
            for (std::size_t b = 0; b < kBlocks; ++b) file << block;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, KES_CONVERT_PATH, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);

        int status = 0;
        bool ended = false;
        while (!ended && BytesRead(pid) < (4u << 20)) {
            ended = ::waitpid(pid, &status, WNOHANG) == pid;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        bool midway = false;
        if (!ended) {
            ::kill(pid, SIGSTOP);
            ::waitpid(pid, &status, WUNTRACED);
            midway = WIFSTOPPED(status) && BytesRead(pid) < (kBlocks - 8) * block.size();
            if (midway) std::filesystem::resize_file(log, 1000);
            ::kill(pid, SIGCONT);
            if (WIFSTOPPED(status)) ::waitpid(pid, &status, 0);
        }
        if (!midway) continue;  // it read the file before it could be stopped: once more

        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_TRUE(Contains(ReadText(err), "The file was cut short while it was read")) << ReadText(err);
        EXPECT_FALSE(std::filesystem::exists(out));
        return;
    }
    GTEST_SKIP() << "kes-convert could not be stopped while it read";
}

// Packed bytes that come through a pipe or a FIFO are told by their first
// bytes and unpacked as a packed file is: the same output as of the file
// they hold; an archive of several files, or a bomb, is refused with nothing written.
TEST(CommandInput, PackedBytesThroughAPipeAreUnpackedAsAFilesAre)
{
    TempDir dir;
    const std::string gpx = ReadText(FixturePath("gpx/expertgps.gpx")),
                      fit = ReadText(FixturePath("fit/fitwrite-track.fit"));
    WriteText(dir.Path("expertgps.gpx.gz"), Gzip(gpx));
    WriteZip(dir.Path("one.zip"), {{"expertgps.gpx", gpx}});
    WriteZip(dir.Path("map.kmz"),
             {{"doc.kml", ReadText(FixturePath("kml/kml-points.kml"))}, {"files/icon.png", "PNG"}});
    WriteZip(dir.Path("stored.zip"), {{"track.fit", fit}}, true);
    WriteZip(dir.Path("two.zip"), {{"a.gpx", gpx}, {"b.gpx", gpx}});
    // A log by its first line, then 100 MB of zeros.
    WriteText(dir.Path("bomb.gz"), Gzip(LongNmeaLog().substr(0, 80) + std::string(100u << 20, '\0')));
    const std::string out = dir.Path("out.kml");
    const struct {
        const char* packed;
        const char* plain;  // in tests/data; none: refused with the message
        const char* message;
    } rows[] = {
        {"expertgps.gpx.gz", "gpx/expertgps.gpx", ""},
        {"one.zip", "gpx/expertgps.gpx", ""},
        {"map.kmz", "kml/kml-points.kml", ""},
        {"stored.zip", "fit/fitwrite-track.fit", ""},
        {"two.zip", nullptr, "The archive holds several files"},
        {"bomb.gz", nullptr, "refused as a decompression bomb"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.packed);
        std::filesystem::remove(out);
        const CommandResult r =
            RunConvertAfter("cat " + Quoted(dir.Path(row.packed)) + " | timeout 30", {"-q", "-", "-O", out});
        if (!row.plain) {
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(Contains(r.err, row.message)) << r.err;
            EXPECT_FALSE(std::filesystem::exists(out));
            continue;
        }
        EXPECT_EQ(r.exitCode, 0) << r.err;
        ASSERT_EQ(RunConvert({"-q", FixturePath(row.plain), "-O", dir.Path("plain.kml")}).exitCode, 0);
        EXPECT_EQ(ReadText(out), ReadText(dir.Path("plain.kml")));
    }

    // A FIFO fed by a thread, in small writes: the first bytes come apart.
    const std::string fifo = dir.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string packed = ReadText(dir.Path("expertgps.gpx.gz"));
    std::thread writer([&] {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        for (std::size_t at = 0; fd >= 0 && at < packed.size(); at += 3) {
            if (::write(fd, packed.data() + at, std::min<std::size_t>(3, packed.size() - at)) < 0) break;
            if (at < 12) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (fd >= 0) ::close(fd);
    });
    std::filesystem::remove(out);
    const CommandResult r = RunConvertAfter("timeout 30", {"-q", fifo, "-O", out});
    writer.join();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    RunConvert({"-q", FixturePath("gpx/expertgps.gpx"), "-O", dir.Path("plain.kml")});
    EXPECT_EQ(ReadText(out), ReadText(dir.Path("plain.kml")));
}
