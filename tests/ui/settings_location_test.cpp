// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "formats/format_table.h"
#include "tests/support/test_catalogue.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/window/SettingsLocation.h"

namespace {
struct LocationCase {
    const char* what;
    std::set<std::string> writable;
    std::string programFolder, configHome;
    SettingsLocation expected;
    bool owned = true;  // the program's folder belongs to the user
};
}  // namespace

TEST(ChooseSettingsLocation, BesideTheProgramOnlyInTheUsersOwnFolderElseInTheUsersConfigFolder)
{
    const SettingsLocation perUser{"/xdg/kesTranscribe/kesTranscribe.ini", "/home/u", true};
    const std::vector<LocationCase> cases = {
        {"portable: own folder writable",
         {"/home/u/kes"},
         "/home/u/kes",
         "/xdg",
         {"/home/u/kes/kesTranscribe.ini", "/home/u/kes", false}},
        {"a writable file in a read-only folder",
         {"/home/u/kes/kesTranscribe.ini"},
         "/home/u/kes",
         "/xdg",
         {"/home/u/kes/kesTranscribe.ini", "/home/u", false}},
        {"installed system-wide", {}, "/usr/bin", "/xdg", perUser},
        {"no XDG_CONFIG_HOME",
         {},
         "/usr/bin",
         "",
         {"/home/u/.config/kesTranscribe/kesTranscribe.ini", "/home/u", true}},
        {"a relative XDG_CONFIG_HOME is ignored",
         {},
         "/usr/bin",
         "cfg",
         {"/home/u/.config/kesTranscribe/kesTranscribe.ini", "/home/u", true}},
        {"program in the root folder", {"/"}, "/", "", {"/kesTranscribe.ini", "/", false}},
        // root writes everywhere and owns the system's folders: still not there
        {"root, /usr/bin", {"/usr/bin", "/usr/bin/kesTranscribe.ini"}, "/usr/bin", "/xdg", perUser},
        {"root, /opt", {"/opt/kes"}, "/opt/kes", "/xdg", perUser},
        {"root, /usr/local/bin", {"/usr/local/bin"}, "/usr/local/bin", "/xdg", perUser},
        {"a writable folder of another user", {"/home/v/kes"}, "/home/v/kes", "/xdg", perUser, false},
        {"not a system folder: /usrlocal",
         {"/usrlocal"},
         "/usrlocal",
         "/xdg",
         {"/usrlocal/kesTranscribe.ini", "/usrlocal", false}},
    };
    for (const LocationCase& c : cases) {
        const SettingsHost host{c.programFolder, c.configHome, "/home/u",
                                [&](const std::string& path) { return c.writable.count(path) > 0; },
                                [&](const std::string&) { return c.owned; }};
        const SettingsLocation got = ChooseSettingsLocation(host);
        EXPECT_EQ(got.file, c.expected.file) << c.what;
        EXPECT_EQ(got.defaultFolder, c.expected.defaultFolder) << c.what;
        EXPECT_EQ(got.perUser, c.expected.perUser) << c.what;
    }
}

TEST(CanWrite, FollowsTheFileSystemsPermissions)
{
    TempDir dir;
    WriteText(dir.Path("file.ini"), "");
    EXPECT_TRUE(CanWrite(dir.Root().string()));
    EXPECT_TRUE(CanWrite(dir.Path("file.ini")));
    EXPECT_FALSE(CanWrite(dir.Path("missing.ini")));
    EXPECT_FALSE(CanWrite(dir.Path("missing/folder")));
    if (::geteuid() == 0) return;  // root writes anywhere; the seam above covers the choice
    std::filesystem::create_directory(dir.Path("locked"));
    using std::filesystem::perms;
    std::filesystem::permissions(dir.Path("locked"), perms::owner_read | perms::owner_exec);
    EXPECT_FALSE(CanWrite(dir.Path("locked")));
}

TEST_F(WindowTest, SettingsInTheUsersConfigFolderAreWrittenThereAndRestored)
{
    const std::string home = dir.Path("home");
    const SettingsLocation location{dir.Path("config/kesTranscribe/kesTranscribe.ini"), home, true};
    Open(location);
    EXPECT_EQ(window->cInputFile->InitialDir().toStdString(), home);
    EXPECT_EQ(window->cOutPutFile->InitialDir().toStdString(), home);
    window->cInputFileFormat->setCurrentIndex(Position(Input::HoluxTrack));
    CloseWindow();
    EXPECT_EQ(ReadText(location.file), "[Input File]\r\nInitial Folder=" + home + "\r\nFile Format=3\r\n" +
                                           "[Output File]\r\nInitial Folder=" + home + "\r\nFile Format=-1\r\n");
    // Made private to the user, as configuration folders are.
    struct stat info {};
    ASSERT_EQ(::stat(dir.Path("config").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(boxes.empty());
    window.reset();
    Open(location);
    EXPECT_EQ(window->InputPosition(), Position(Input::HoluxTrack));
}

// Run as an ordinary user by its own CTest entry (root writes everywhere): an
// installed program's folder cannot be written, so the settings go to the
// user's configuration folder and the dialogs open at home.
TEST(InstalledProgram, KeepsItsSettingsInTheUsersConfigFolder)
{
    if (CanWrite(ProgramFolder())) GTEST_SKIP() << "the program's folder is writable for this user";
    TempDir dir;
    const std::string home = dir.Path("home"), config = dir.Path("xdg");
    std::filesystem::create_directories(home);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const SettingsLocation location = HostSettingsLocation();
    EXPECT_EQ(location.file, config + "/kesTranscribe/kesTranscribe.ini");
    {
        TfmMain window(TestCatalogue(), location);
        EXPECT_EQ(window.cInputFile->InitialDir().toStdString(), home);
        EXPECT_EQ(window.cOutPutFile->InitialDir().toStdString(), home);
    }  // closing writes the settings
    EXPECT_NE(ReadText(location.file).find("[Output File]\r\nInitial Folder=" + home), std::string::npos);
}
