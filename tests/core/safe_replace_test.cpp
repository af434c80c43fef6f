// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing an output: names of any valid length, permission bits and ACLs,
// symbolic links, devices and pipes, files that may not be written, content
// given in pieces; and the outputs of a conversion as one transaction.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "core/io/file_io.h"
#include "core/io/output_transaction.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {
std::vector<std::string> Listing(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}
}  // namespace

TEST(SafeReplace, NamesOfAnyValidLengthLeaveRoomForTheTemporaryFile)
{
    TempDir dir;
    std::string wide;
    while (wide.size() + 3 + 4 <= 255) wide += "\xE3\x81\x82";  // hiragana A, three bytes
    for (const std::string& name : {wide + ".wpt", std::string(251, 'n') + ".plt"}) {
        ASSERT_LE(name.size(), 255u);
        WriteFileSafely(dir.Path(name), "content");
        EXPECT_EQ(ReadText(dir.Path(name)), "content");
    }
    EXPECT_EQ(Listing(dir.Root()).size(), 2u);
}

TEST(SafeReplace, TheReplacementKeepsThePermissionBitsANewFileFollowsTheUmask)
{
    TempDir dir;
    const std::string target = dir.Path("out.wpt");
    for (const mode_t mode : {0600, 0640, 0755, 0604}) {
        WriteText(target, "earlier");
        ::chmod(target.c_str(), mode);
        WriteFileSafely(target, "later");
        EXPECT_EQ(ModeOf(target), mode);
        EXPECT_EQ(ReadText(target), "later");
    }
    if (::geteuid() == 0) {
        // Root replacing another user's file leaves it theirs.
        ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
        WriteFileSafely(target, "by root");
        struct stat info {};
        ::stat(target.c_str(), &info);
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    const mode_t previous = ::umask(027);
    WriteFileSafely(dir.Path("new.wpt"), "x");
    ::umask(previous);
    EXPECT_EQ(ModeOf(dir.Path("new.wpt")), 0640u);
}

TEST(SafeReplace, ASymbolicLinkStaysALinkAndTheFileItPointsToIsReplaced)
{
    struct Case {
        const char* name;
        std::string link, pointsTo, replaced;  // pointsTo as stored in the link
    };
    TempDir dir;
    fs::create_directories(dir.Path("data"));
    fs::create_directories(dir.Path("out"));
    const Case cases[] = {
        {"absolute", dir.Path("out/a.wpt"), dir.Path("data/a.wpt"), dir.Path("data/a.wpt")},
        {"relative, another folder", dir.Path("out/b.wpt"), "../data/b.wpt", dir.Path("data/b.wpt")},
        {"not there yet", dir.Path("out/c.wpt"), "../data/c.wpt", dir.Path("data/c.wpt")},
        {"a link to a link", dir.Path("out/d.wpt"), "a.wpt", dir.Path("data/a.wpt")},
    };
    WriteText(dir.Path("data/a.wpt"), "earlier");
    WriteText(dir.Path("data/b.wpt"), "earlier");
    for (const Case& c : cases) fs::create_symlink(c.pointsTo, c.link);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileSafely(c.link, std::string("through ") + c.name);
        EXPECT_TRUE(fs::is_symlink(c.link));
        EXPECT_EQ(fs::read_symlink(c.link), c.pointsTo);
        EXPECT_EQ(ReadText(c.replaced), std::string("through ") + c.name);
    }
    EXPECT_EQ(Listing(dir.Path("data")), (std::vector<std::string>{"a.wpt", "b.wpt", "c.wpt"}));
    EXPECT_EQ(Listing(dir.Path("out")), (std::vector<std::string>{"a.wpt", "b.wpt", "c.wpt", "d.wpt"}));

    fs::create_symlink("loop2", dir.Path("loop1"));
    fs::create_symlink("loop1", dir.Path("loop2"));
    try {
        WriteFileSafely(dir.Path("loop1"), "x");
        FAIL() << "a loop of links was written";
    } catch (const FileError& error) {
        EXPECT_EQ(error.SystemMessage(), "Too many levels of symbolic links");
    }
}

TEST(SafeReplace, AnOutputThatMayNotBeWrittenIsRefusedWithTheSystemsError)
{
    TempDir dir;
    const std::string target = dir.Path("locked.wpt");
    WriteText(target, "earlier");
    ::chmod(target.c_str(), 0444);
    fs::create_symlink(target, dir.Path("alias.wpt"));
    for (const std::string& name : {target, dir.Path("alias.wpt")}) {
        const int result = RunAsOrdinaryUser([&] {
            try {
                WriteFileSafely(name, "later");
                return 1;
            } catch (const FileError& error) {
                return error.SystemMessage() == "Permission denied" && error.Path() == name ? 0 : 2;
            }
        });
        if (result == kCannotDropPrivilege) GTEST_SKIP() << "cannot give up root's permission override here";
        EXPECT_EQ(result, 0) << name;
    }
    EXPECT_EQ(ReadText(target), "earlier");
    EXPECT_EQ(ModeOf(target), 0444u);
    EXPECT_EQ(Listing(dir.Root()), (std::vector<std::string>{"alias.wpt", "locked.wpt"}));
}

TEST(SafeFileWriter, PiecesAppearTogetherOnCommitAndNothingOtherwise)
{
    TempDir dir;
    const std::string target = dir.Path("big.plt");
    WriteText(target, "earlier");
    std::string expected;
    {
        SafeFileWriter output(target, nullptr);
        for (int i = 0; i < 5000; ++i) {
            const std::string piece = "line " + std::to_string(i) + " of a track that is written in pieces\r\n";
            output.Append(piece);
            expected += piece;
        }
        output.Append(std::string(200000, 'x'));  // larger than any buffer
        expected += std::string(200000, 'x');
        EXPECT_EQ(ReadText(target), "earlier");
        EXPECT_EQ(Listing(dir.Root()).size(), 2u);
        output.Commit();
        EXPECT_THROW(output.Append("more"), std::logic_error);
    }
    EXPECT_EQ(ReadText(target), expected);
    {
        SafeFileWriter abandoned(target, nullptr);
        abandoned.Append("never committed");
    }
    EXPECT_EQ(ReadText(target), expected);
    EXPECT_EQ(Listing(dir.Root()), std::vector<std::string>{"big.plt"});
}

TEST(SafeFileWriter, AFailedAppendRemovesTheTemporaryFileAndKeepsTheEarlierOne)
{
    TempDir dir;
    const std::string target = dir.Path("big.plt");
    WriteText(target, "earlier");
    const int result = RunInChild([&] {
        // A write past the file size limit fails with EFBIG, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        SafeFileWriter output(target, nullptr);
        try {
            for (int i = 0; i < 1000; ++i) output.Append(std::string(100, 'x'));
            output.Commit();
            return 1;
        } catch (const FileError& error) {
            return error.SystemMessage() == "File too large" ? 0 : 2;
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadText(target), "earlier");
    EXPECT_EQ(Listing(dir.Root()), std::vector<std::string>{"big.plt"});
}

TEST(SafeReplace, TheTemporaryFileOfAPrivateOutputIsNeverReadableByOthers)
{
    TempDir dir;
    const std::string target = dir.Path("private.plt");
    WriteText(target, "earlier");
    ::chmod(target.c_str(), 0600);
    const mode_t previousMask = ::umask(0);  // a new file would be made 0666
    // Woken as each file is made, as another user lying in wait would be.
    const int events = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(events, dir.Root().c_str(), IN_CREATE), 0);
    int seen = 0;
    mode_t widest = 0;
    std::thread watcher([&] {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(events, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                struct stat info {};
                if (std::string(event->name) == "stop") return;
                if (::stat(dir.Path(event->name).c_str(), &info) == 0) ++seen, widest |= info.st_mode & 0777;
            }
    });
    for (int i = 0; i < 50; ++i) WriteFileSafely(target, std::string(1 << 16, 'x'));
    WriteText(dir.Path("stop"), "");
    watcher.join();
    ::close(events);
    ::umask(previousMask);
    EXPECT_GT(seen, 0) << "the temporary file was never seen";
    EXPECT_EQ(widest & ~0600u, 0u) << std::oct << widest;
    EXPECT_EQ(ModeOf(target), 0600u);
}

TEST(SafeReplace, ALinkPlantedByAnotherUserInASharedStickyFolderIsNotFollowed)
{
    TempDir dir;
    const std::string shared = dir.Path("shared");
    fs::create_directory(shared);
    ::chmod(shared.c_str(), 01777);
    WriteText(dir.Path("precious"), "precious");
    struct Case {
        const char* link;
        uid_t owner;
        bool followed;
    };
    const Case cases[] = {{"planted.wpt", 65534, false}, {"own.wpt", ::geteuid(), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        const std::string link = shared + "/" + c.link;
        fs::create_symlink(dir.Path("precious"), link);
        if (::lchown(link.c_str(), c.owner, c.owner) != 0) GTEST_SKIP() << "cannot give a link to another user here";
        try {
            WriteFileSafely(link, "through the link");
            EXPECT_TRUE(c.followed);
        } catch (const FileError& error) {
            EXPECT_FALSE(c.followed);
            EXPECT_EQ(error.SystemMessage(), "Permission denied");
        }
        EXPECT_EQ(ReadText(dir.Path("precious")), c.followed ? "through the link" : "precious");
        EXPECT_TRUE(fs::is_symlink(link));
    }
}

TEST(SafeReplace, TheReplacementKeepsTheAccessControlList)
{
    TempDir dir;
    const std::string target = dir.Path("shared.wpt"), quoted = "'" + dir.Path("shared.wpt") + "'";
    WriteText(target, "earlier");
    if (std::system(("setfacl -m u:nobody:rw,g::r " + quoted + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "setfacl is missing or the file system takes no ACL";
    const auto acl = [&] {
        std::system(("getfacl -cp " + quoted + " >" + dir.Path("acl") + " 2>/dev/null").c_str());
        return ReadText(dir.Path("acl"));
    };
    const std::string before = acl();
    const mode_t mode = ModeOf(target);
    WriteFileSafely(target, "later");
    EXPECT_EQ(acl(), before);
    EXPECT_NE(before.find("user:nobody:rw-"), std::string::npos) << before;
    EXPECT_EQ(ModeOf(target), mode);
}

TEST(SafeReplace, DevicesAndPipesAreWrittenIntoAndStayWhatTheyAre)
{
    TempDir dir;
    const std::string fifo = dir.Path("pipe"), link = dir.Path("null.wpt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/null", link);
    std::string received;
    std::thread reader([&] { received = ReadText(fifo); });
    const std::string content(300000, 'p');  // more than a pipe holds
    WriteFileSafely(fifo, content);
    reader.join();
    EXPECT_EQ(received, content);
    EXPECT_TRUE(fs::is_fifo(fifo));
    for (const std::string& name : {std::string("/dev/null"), link}) {
        WriteFileSafely(name, content);
        EXPECT_TRUE(fs::is_character_file("/dev/null"));
    }
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Listing(dir.Root()), (std::vector<std::string>{"null.wpt", "pipe"}));

    // /dev/stdout is the descriptor, whatever it is: here a file the shell opened.
    const std::string redirected = dir.Path("redirected");
    const int result = RunInChild([&] {
        const int fd = ::open(redirected.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || ::write(fd, "shell:", 6) != 6 || ::dup2(fd, STDOUT_FILENO) < 0) return 1;
        WriteFileSafely("/dev/stdout", "data");
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadText(redirected), "shell:data");
}

TEST(OutputTransaction, PutsEveryOutputInPlaceOnCommitAndNoneWithout)
{
    TempDir dir;
    const std::vector<std::string> names = {"t_1.plt", "t_2.plt", "t_3.plt"};
    for (const bool commit : {false, true}) {
        SCOPED_TRACE(commit ? "committed" : "abandoned");
        for (const std::string& name : names) WriteText(dir.Path(name), "old");
        {
            OutputTransaction outputs;
            for (const std::string& name : names) WriteFileSafely(dir.Path(name), "new " + name, &outputs);
            EXPECT_EQ(outputs.PendingCount(), 3u);
            EXPECT_EQ(Listing(dir.Root()).size(), 6u);  // three temporary files beside them
            EXPECT_EQ(ReadText(dir.Path("t_2.plt")), "old");
            if (commit) outputs.Commit();
            EXPECT_EQ(outputs.PlacedCount(), commit ? 3u : 0u);
        }
        EXPECT_EQ(Listing(dir.Root()), names);
        for (const std::string& name : names) EXPECT_EQ(ReadText(dir.Path(name)), commit ? "new " + name : "old");
    }
}

TEST(OutputTransaction, AFailedRenameGivesTheOutputsPlacedBeforeItTheirOldContent)
{
    TempDir dir;
    fs::create_directories(dir.Path("a"));
    fs::create_directories(dir.Path("b"));
    WriteText(dir.Path("a/t.plt"), "old");
    WriteText(dir.Path("b/t.plt"), "old");
    OutputTransaction outputs;
    WriteFileSafely(dir.Path("a/t.plt"), "new", &outputs);
    WriteFileSafely(dir.Path("b/t.plt"), "new", &outputs);
    // The second output is a folder by the time of the commit.
    fs::remove(dir.Path("b/t.plt"));
    fs::create_directories(dir.Path("b/t.plt/inside"));
    try {
        outputs.Commit();
        FAIL() << "a folder was replaced";
    } catch (const FileError& error) {
        EXPECT_EQ(error.SystemMessage(), "Is a directory");
    }
    EXPECT_EQ(ReadText(dir.Path("a/t.plt")), "old");
    EXPECT_TRUE(fs::is_directory(dir.Path("b/t.plt/inside")));
    EXPECT_EQ(Listing(dir.Path("a")), std::vector<std::string>{"t.plt"});
    EXPECT_EQ(Listing(dir.Path("b")), std::vector<std::string>{"t.plt"});
}

TEST(OutputTransaction, APendingOutputRenamedTakesTheNewNameAndItsPermissionsOrGoesIntoADevice)
{
    TempDir dir;
    WriteText(dir.Path("t.plt"), "old");
    ::chmod(dir.Path("t.plt").c_str(), 0600);
    OutputTransaction outputs;
    std::vector<std::string> placed;
    outputs.OnPlaced([&](const std::string& name) { placed.push_back(name); });
    WriteFileSafely(dir.Path("t_1.plt"), "the only track", &outputs);
    WriteFileSafely(dir.Path("u_1.plt"), "to a device", &outputs);
    outputs.Rename(dir.Path("t_1.plt"), dir.Path("t.plt"));
    outputs.Rename(dir.Path("u_1.plt"), "/dev/null");
    EXPECT_THROW(outputs.Rename(dir.Path("t_1.plt"), dir.Path("t.plt")), std::logic_error);
    outputs.Commit();
    EXPECT_EQ(Listing(dir.Root()), std::vector<std::string>{"t.plt"});
    EXPECT_EQ(ReadText(dir.Path("t.plt")), "the only track");
    EXPECT_EQ(fs::status(dir.Path("t.plt")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(placed, (std::vector<std::string>{dir.Path("t.plt"), "/dev/null"}));
    EXPECT_EQ(outputs.FirstPlaced(), placed);
}

TEST(OutputTransaction, TemporaryFilesLeftByAKilledRunAreRemovedOnceADayOld)
{
    TempDir dir;
    // Old and of the pattern; new (a run still writing, perhaps); old, but not of the pattern.
    const std::vector<std::string> left = {".kes-0123abcd.tmp", ".kes-4567cdef.tmp", ".kes-0123ABCD.tmp"};
    for (const std::string& name : left) WriteText(dir.Path(name), "left");
    for (const std::size_t old : {0, 2})
        fs::last_write_time(dir.Path(left[old]), fs::file_time_type::clock::now() - std::chrono::hours(25));
    WriteFileSafely(dir.Path("out.wpt"), "x");
    EXPECT_EQ(Listing(dir.Root()), (std::vector<std::string>{".kes-0123ABCD.tmp", ".kes-4567cdef.tmp", "out.wpt"}));
}
