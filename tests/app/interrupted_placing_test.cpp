// SPDX-License-Identifier: GPL-3.0-or-later
// Runs that meet in one folder: a run killed outright while it puts its
// files in place is settled by --recover, every name new or every name old;
// a run waiting for another's folder says so, and --wait bounds the wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {
constexpr int kTracks = 900;
const char* const kOld = "an earlier file of this name\r\n";
const char* const kEpoch = "1700000000";

std::string GpxOfTracks(int tracks)
{
    std::string gpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    for (int t = 0; t < tracks; ++t)
        gpx += "<trk><trkseg><trkpt lat=\"45.1\" lon=\"7.5\"><ele>" + std::to_string(t) +
               "</ele></trkpt></trkseg></trk>\n";
    return gpx + "</gpx>\n";
}

std::vector<std::string> Hidden(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".kes-", 0) == 0) names.push_back(entry.path().filename());
    return names;
}

bool HasJournal(const fs::path& folder)
{
    const std::vector<std::string> hidden = Hidden(folder);
    return std::any_of(hidden.begin(), hidden.end(), [](const std::string& n) { return n.ends_with(".journal"); });
}

// kes-convert converting `input` into `output`, killed outright as soon as
// the first of its files takes its name.
void KillWhilePlacing(const std::string& input, const std::string& output)
{
    const std::string folder = fs::path(output).parent_path();
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, folder.c_str(), IN_MOVED_TO), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("SOURCE_DATE_EPOCH", kEpoch, 1);
        const char* argv[] = {KES_CONVERT_PATH, "-q", input.c_str(), "-O", output.c_str(), nullptr};
        ::execv(argv[0], const_cast<char**>(argv));
        ::_exit(127);
    }
    alignas(inotify_event) char events[4096];
    for (bool placing = false; !placing;) {
        pollfd ready{watch, POLLIN, 0};
        if (::poll(&ready, 1, 30000) <= 0) break;
        const ssize_t got = ::read(watch, events, sizeof events);
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            placing = placing || (event->len > 0 && std::string(event->name).rfind(".kes-", 0) != 0);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(watch);
}
}  // namespace

TEST(InterruptedPlacing, ARunKilledWhilePuttingItsFilesInPlaceIsFinishedByRecover)
{
    TempDir dir;
    WriteText(dir.Path("trip.gpx"), GpxOfTracks(kTracks));
    fs::create_directories(dir.Path("ref"));
    const CommandResult reference = RunConvertAfter(std::string("SOURCE_DATE_EPOCH=") + kEpoch,
                                                    {"-q", dir.Path("trip.gpx"), "-O", dir.Path("ref/trip.plt")});
    ASSERT_EQ(reference.exitCode, 0) << reference.err;
    const fs::path out = dir.Path("out");
    // The kill may come once every file is in place already: a few tries.
    bool caught = false;
    for (int attempt = 0; attempt < 5 && !caught; ++attempt) {
        fs::remove_all(out);
        fs::create_directories(out);
        for (int t = 1; t <= kTracks; ++t) WriteText((out / ("trip_" + std::to_string(t) + ".plt")).string(), kOld);
        KillWhilePlacing(dir.Path("trip.gpx"), (out / "trip.plt").string());
        caught = HasJournal(out);
    }
    ASSERT_TRUE(caught) << "never killed while placing";
    const CommandResult recovered = RunConvert({"--recover", out.string()});
    EXPECT_EQ(recovered.exitCode, 0) << recovered.err;
    ASSERT_EQ(recovered.errLines.size(), 1u) << recovered.err;
    const std::string said = "kes-convert: " + out.string() + ": an interrupted conversion's 900 files put in place (";
    EXPECT_TRUE(recovered.errLines[0].starts_with(said)) << recovered.err;
    for (int t = 1; t <= kTracks; ++t) {
        const std::string name = "trip_" + std::to_string(t) + ".plt";
        ASSERT_EQ(ReadText((out / name).string()), ReadText(dir.Path("ref/" + name))) << name;
    }
    EXPECT_EQ(Hidden(out), std::vector<std::string>{});
    const CommandResult again = RunConvert({"--recover", out.string()});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.errLines,
              std::vector<std::string>{"kes-convert: " + out.string() + ": no interrupted conversion to settle"});
    // A journal that is not whole is said and left, and the status says so.
    WriteText((out / ".kes-0000abcd.journal").string(), "kes-convert placing journal 1\nentries 2\n");
    const CommandResult damaged = RunConvert({"--recover", out.string()});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_EQ(damaged.errLines,
              std::vector<std::string>{"kes-convert: " + out.string() +
                                       ": .kes-0000abcd.journal: the journal of an interrupted conversion is damaged "
                                       "and left as it is: it ends before its last file"});
    EXPECT_EQ(Hidden(out), std::vector<std::string>{".kes-0000abcd.journal"});
}

TEST(InterruptedPlacing, ARunWaitingForAnotherRunsFolderSaysSoAndWaitBoundsTheWait)
{
    TempDir dir;
    WriteText(dir.Path("a.gpx"), GpxOfTracks(2));
    fs::create_directories(dir.Path("out"));
    const std::string folder = dir.Path("out");
    const int held = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const auto convert = [&](const std::string& wait, const std::string& output) {
        std::vector<std::string> arguments = {"-q", dir.Path("a.gpx"), "-O", dir.Path("out/" + output)};
        if (!wait.empty()) arguments.push_back("--wait=" + wait);
        return std::async(std::launch::async, [arguments] { return RunConvert(arguments); });
    };
    auto unbounded = convert("", "u.plt"), bounded = convert("2", "b.plt"), none = convert("0", "n.plt");
    const CommandResult refused = none.get();
    const std::string waiting = "kes-convert: waiting for another conversion writing into " + folder;
    const std::string notConverted = "kes-convert: " + dir.Path("a.gpx") + ": not converted: " + folder + ": ";
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.errLines.back(), notConverted + "another conversion is putting files into this folder");
    const CommandResult gaveUp = bounded.get();
    EXPECT_EQ(gaveUp.exitCode, 1);
    EXPECT_EQ(gaveUp.errLines.back(),
              notConverted + "another conversion is still putting files into this folder after a wait of 2 seconds");
    EXPECT_EQ(std::count(gaveUp.errLines.begin(), gaveUp.errLines.end(), waiting), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::flock(held, LOCK_UN);
    ::close(held);
    const CommandResult waited = unbounded.get();
    EXPECT_EQ(waited.exitCode, 0) << waited.err;
    EXPECT_EQ(std::count(waited.errLines.begin(), waited.errLines.end(), waiting), 1) << waited.err;
    EXPECT_TRUE(fs::exists(dir.Path("out/u_1.plt")) && fs::exists(dir.Path("out/u_2.plt")));
    EXPECT_FALSE(fs::exists(dir.Path("out/b_1.plt")) || fs::exists(dir.Path("out/n_1.plt")));
    EXPECT_EQ(Hidden(dir.Path("out")), std::vector<std::string>{});
}
