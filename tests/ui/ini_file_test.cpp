// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/ordinary_user.h"
#include "tests/support/test_files.h"
#include "ui/window/IniFile.h"

TEST(IniFile, MissingFileSectionOrKeyGivesTheDefault)
{
    TempDir dir;
    IniFile ini(dir.Path("none.ini"));
    EXPECT_EQ(ini.ReadString("Input File", "Initial Folder", "/def"), "/def");
    EXPECT_EQ(ini.ReadInteger("Input File", "File Format", -1), -1);
    WriteText(dir.Path("some.ini"), "[Other]\r\nFile Format=3\r\n");
    IniFile some(dir.Path("some.ini"));
    EXPECT_EQ(some.ReadInteger("Input File", "File Format", -1), -1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("none.ini")));  // reading never creates it
}

TEST(IniFile, SectionsAndKeysMatchWithoutRegardToCase)
{
    TempDir dir;
    WriteText(dir.Path("a.ini"), "; comment\n[input file]\n  initial FOLDER =  /home/a b  \nfile format=\"7\"\n");
    IniFile ini(dir.Path("a.ini"));
    EXPECT_EQ(ini.ReadString("Input File", "Initial Folder", ""), "/home/a b");
    EXPECT_EQ(ini.ReadInteger("INPUT FILE", "File Format", -1), 7);
}

TEST(IniFile, IntegersThatAreNotDecimalCountAsTheDefault)
{
    TempDir dir;
    WriteText(dir.Path("a.ini"), "[S]\na=12x\nb=\nc=99999999999\nd=-4\ne=0x1F\n");
    IniFile ini(dir.Path("a.ini"));
    for (const char* key : {"a", "b", "c", "e"}) EXPECT_EQ(ini.ReadInteger("S", key, -1), -1) << key;
    EXPECT_EQ(ini.ReadInteger("S", "d", -1), -4);
}

TEST(IniFile, WritingKeepsEverythingElseOfTheFile)
{
    TempDir dir;
    const std::string path = dir.Path("a.ini");
    WriteText(path, "; kept\r\n[Input File]\r\nOther=1\r\nfile format=2\r\n\r\n[Mine]\r\nx=y\r\n");
    IniFile ini(path);
    ini.WriteInteger("Input File", "File Format", 5);
    ini.WriteString("input file", "Initial Folder", "/data");
    ini.WriteString("Output File", "Initial Folder", "/out");
    EXPECT_EQ(ReadText(path),
              "; kept\r\n[Input File]\r\nOther=1\r\nFile Format=5\r\nInitial Folder=/data\r\n\r\n[Mine]\r\nx=y\r\n"
              "[Output File]\r\nInitial Folder=/out\r\n");
}

TEST(IniFile, WritingIntoAFolderThatCannotBeWrittenNamesTheFile)
{
    TempDir dir;
    const std::string path = dir.Path("missing-folder/kesTranscribe.ini");
    IniFile ini(path);
    try {
        ini.WriteString("Input File", "Initial Folder", "/x");
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
}

TEST(IniFile, TheSettingsFileIsReplacedLikeAnyOutput)
{
    TempDir dir;
    std::filesystem::create_directories(dir.Path("real"));
    const std::string real = dir.Path("real/kesTranscribe.ini");
    const std::string link = dir.Path("kesTranscribe.ini");
    WriteText(real, "[Input File]\r\nFile Format=1\r\n");
    std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink("real/kesTranscribe.ini", link);

    IniFile(link).WriteInteger("Input File", "File Format", 4);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadText(real), "[Input File]\r\nFile Format=4\r\n");
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    std::filesystem::permissions(real, std::filesystem::perms::owner_read);
    const int result = RunAsOrdinaryUser([&] {
        try {
            IniFile(link).WriteInteger("Input File", "File Format", 9);
            return 1;
        } catch (const std::runtime_error& error) {
            return std::string(error.what()) == "Unable to write to " + link ? 0 : 2;
        }
    });
    if (result == kCannotDropPrivilege) GTEST_SKIP() << "cannot give up root's permission override here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadText(real), "[Input File]\r\nFile Format=4\r\n");
}

TEST(IniFile, OnlyARegularFileOfAtMost64KbIsOursToReadAndRewrite)
{
    TempDir dir;
    const std::string keys = "[Input File]\r\nFile Format=3\r\n";
    WriteText(dir.Path("64k.ini"), keys + std::string((64 << 10) - keys.size(), ';'));
    EXPECT_EQ(IniFile(dir.Path("64k.ini")).ReadInteger("Input File", "File Format", -1), 3);
    WriteText(dir.Path("large.ini"), keys + std::string(64 << 10, ';'));
    ASSERT_EQ(::mkfifo(dir.Path("fifo.ini").c_str(), 0600), 0);
    ::alarm(20);  // a FIFO opened for reading would wait for a writer forever
    for (const char* name : {"large.ini", "fifo.ini"}) {
        IniFile ini(dir.Path(name));
        EXPECT_EQ(ini.ReadInteger("Input File", "File Format", -1), -1) << name;
        EXPECT_THROW(ini.WriteInteger("Input File", "File Format", 4), std::runtime_error) << name;
    }
    ::alarm(0);
    EXPECT_EQ(ReadText(dir.Path("large.ini")), keys + std::string(64 << 10, ';'));
}

TEST(IniFile, AFileThatCannotBeReadIsNeverRewrittenWithOurKeysAlone)
{
    TempDir dir;
    const std::string path = dir.Path("kesTranscribe.ini");
    WriteText(path, "[Mine]\r\nx=y\r\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write);
    const int result = RunAsOrdinaryUser([&] {
        try {
            IniFile(path).WriteInteger("Input File", "File Format", 4);
            return 1;
        } catch (const std::runtime_error& error) {
            return std::string(error.what()) == "Unable to write to " + path ? 0 : 2;
        }
    });
    if (result == kCannotDropPrivilege) GTEST_SKIP() << "cannot give up root's permission override here";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadText(path), "[Mine]\r\nx=y\r\n");
}

// A value with a line break would become lines of its own (a section, a key);
// a file under 64 KB stays under it, the last recent files dropped first.
TEST(IniFile, AValueIsOneLineAndTheFileStaysOneThatIsRead)
{
    TempDir dir;
    const std::string path = dir.Path("a.ini");
    IniFile ini(path);
    const std::vector<IniEntry> leftOut = ini.WriteStrings(
        {{"Input File", "Initial Folder", "/trip\n[View]\nTile Server=http://x/"}, {"Input File", "File Format", "3"}});
    ASSERT_EQ(leftOut.size(), 1u);
    EXPECT_EQ(leftOut[0].key, "Initial Folder");
    EXPECT_EQ(ReadText(path), "[Input File]\r\nFile Format=3\r\n");

    WriteText(path, "[Recent Files]\r\n" + std::string((64 << 10) - 100, ';') + "\r\n");
    std::vector<IniEntry> recent;
    for (int n = 1; n <= 4; ++n)
        recent.push_back({"Recent Files", "File" + std::to_string(n), std::string(40, 'a'), true});
    EXPECT_EQ(ini.WriteStrings(recent).size(), 3u);
    EXPECT_LE(std::filesystem::file_size(path), 64u << 10);
    EXPECT_EQ(ini.ReadString("Recent Files", "File1", ""), std::string(40, 'a'));
    EXPECT_EQ(ini.ReadString("Recent Files", "File2", "none"), "none");
}
