// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing an output: names of any valid length, permission bits, symbolic
// links, files that may not be written, and content given in pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_io.h"
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
        SafeFileWriter output(target);
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
        SafeFileWriter abandoned(target);
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
        SafeFileWriter output(target);
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
