// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "core/io/file_io.h"
#include "core/io/file_names.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

TEST(SafeWrite, ReplacesTheTargetAndLeavesNoTemporaryFile)
{
    TempDir dir;
    const std::string target = dir.Path("out.wpt");
    WriteText(target, "old");
    WriteFileSafely(target, "new content");
    EXPECT_EQ(ReadText(target), "new content");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Root()), fs::directory_iterator{}), 1);
}

TEST(SafeWrite, AFailedWriteKeepsTheEarlierFile)
{
    if (::geteuid() == 0) {
        // root ignores folder permissions: a folder in the target's place fails the rename instead.
        TempDir dir;
        fs::create_directory(dir.Path("out.wpt"));
        EXPECT_THROW(WriteFileSafely(dir.Path("out.wpt"), "x"), FileError);
        EXPECT_TRUE(fs::is_directory(dir.Path("out.wpt")));
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Root()), fs::directory_iterator{}), 1);
        return;
    }
    TempDir dir;
    const std::string target = dir.Path("out.wpt");
    WriteText(target, "earlier");
    fs::permissions(dir.Root(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(WriteFileSafely(target, "later"), FileError);
    fs::permissions(dir.Root(), fs::perms::owner_all);
    EXPECT_EQ(ReadText(target), "earlier");
}

TEST(FileError, CarriesThePathAndTheSystemMessage)
{
    try {
        ReadFileRange("/nonexistent/folder/x.wpt", 0, 5);
        FAIL() << "no error raised";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Path(), "/nonexistent/folder/x.wpt");
        EXPECT_EQ(error.SystemMessage(), "No such file or directory");
        EXPECT_NE(std::string(error.what()).find("/nonexistent/folder/x.wpt"), std::string::npos);
    }
}

TEST(ReadFileRange, CopiesTheContentAndCutsRangesAtTheEnd)
{
    TempDir dir;
    const std::string path = dir.Path("in.wpt");
    WriteText(path, "MsRcd\r\nline two\n");
    EXPECT_EQ(ReadFileRange(path, 0, 100), "MsRcd\r\nline two\n");
    EXPECT_EQ(ReadFileRange(path, 0, 5), "MsRcd");
    EXPECT_EQ(ReadFileRange(path, 7, 100), "line two\n");
    EXPECT_EQ(ReadFileRange(path, 16, 4), "");
    EXPECT_EQ(ReadFileRange(path, 1000, 4), "");
    WriteText(dir.Path("empty.wpt"), "");
    EXPECT_EQ(ReadFileRange(dir.Path("empty.wpt"), 0, 5), "");
}

TEST(SameFileOnDisk, LinksAndSpellingsOfOneFile)
{
    TempDir dir;
    WriteText(dir.Path("a.plt"), "x");
    fs::create_symlink(dir.Path("a.plt"), dir.Path("link.plt"));
    EXPECT_TRUE(SameFileOnDisk(dir.Path("a.plt"), dir.Path("link.plt")));
    EXPECT_TRUE(SameFileOnDisk(dir.Path("a.plt"), dir.Root().string() + "/./a.plt"));
    EXPECT_FALSE(SameFileOnDisk(dir.Path("a.plt"), dir.Path("b.plt")));
    EXPECT_TRUE(SameFileOnDisk(dir.Path("new.wpt"), dir.Root().string() + "/x/../new.wpt"));
}

TEST(FileNames, ExtensionsOfTheLastComponentOnly)
{
    EXPECT_EQ(ChangeFileExt("/data/out.txt", ".wpt"), "/data/out.wpt");
    EXPECT_EQ(ChangeFileExt("trip", ".tlg"), "trip.tlg");
    EXPECT_EQ(ChangeFileExt("/a.b/trip", ".plt"), "/a.b/trip.plt");
    EXPECT_EQ(ChangeFileExt("x.tar.gz", ".rte"), "x.tar.rte");
    EXPECT_EQ(ExtractFileName("/gps/walk.plt"), "walk.plt");
    EXPECT_EQ(ExtractFileExt("/gps/x.MPS"), ".MPS");
    EXPECT_EQ(ExtractFileExt("/g.ps/x"), "");
    EXPECT_EQ(TrackFileName("/gps/trip.plt", 3), "/gps/trip_3.plt");
    EXPECT_EQ(TrackFileName("/gps/trip", 1), "/gps/trip_1.plt");
    EXPECT_EQ(ChangeFileExt("/gps/.mylog", ".plt"), "/gps/.mylog.plt");  // a leading dot is the name's
    EXPECT_EQ(ExtractFileExt(".mylog"), "");
}

TEST(StripQuotes, BlanksAndOneQuoteAtEachEnd)
{
    EXPECT_EQ(StripQuotes("  \"/my files/a.wpt\"  "), "/my files/a.wpt");
    EXPECT_EQ(StripQuotes("   "), "");
    EXPECT_EQ(StripQuotes("\""), "");
    EXPECT_EQ(StripQuotes("a\"b"), "a\"b");
}
