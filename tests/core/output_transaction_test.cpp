// SPDX-License-Identifier: GPL-3.0-or-later
// The outputs of one conversion as one transaction: all put in place or none,
// a pending output renamed, the inputs never replaced.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sys/stat.h>

#include "core/file_io.h"
#include "core/output_transaction.h"
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
}  // namespace

TEST(OutputTransaction, PutsEveryOutputInPlaceOnCommitAndNoneWithout)
{
    TempDir dir;
    const std::vector<std::string> names = {"t_1.plt", "t_2.plt", "t_3.plt"};
    for (const bool commit : {false, true}) {
        SCOPED_TRACE(commit ? "committed" : "abandoned");
        for (const std::string& name : names) WriteText(dir.Path(name), "old");
        {
            OutputTransaction outputs;
            for (const std::string& name : names) WriteFileSafely(dir.Path(name), "new " + name);
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
    WriteFileSafely(dir.Path("a/t.plt"), "new");
    WriteFileSafely(dir.Path("b/t.plt"), "new");
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

TEST(OutputTransaction, APendingOutputRenamedTakesTheNewNameAndItsPermissions)
{
    TempDir dir;
    WriteText(dir.Path("t.plt"), "old");
    ::chmod(dir.Path("t.plt").c_str(), 0600);
    OutputTransaction outputs;
    std::vector<std::string> placed;
    outputs.OnPlaced([&](const std::string& name) { placed.push_back(name); });
    WriteFileSafely(dir.Path("t_1.plt"), "the only track");
    outputs.Rename(dir.Path("t_1.plt"), dir.Path("t.plt"));
    EXPECT_THROW(outputs.Rename(dir.Path("t_1.plt"), dir.Path("t.plt")), std::logic_error);
    outputs.Commit();
    EXPECT_EQ(Listing(dir.Root()), std::vector<std::string>{"t.plt"});
    EXPECT_EQ(ReadText(dir.Path("t.plt")), "the only track");
    EXPECT_EQ(fs::status(dir.Path("t.plt")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(placed, std::vector<std::string>{dir.Path("t.plt")});
    EXPECT_EQ(outputs.FirstPlaced(), placed);
}

TEST(OutputTransaction, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsWritten)
{
    TempDir dir;
    WriteText(dir.Path("t_1.plt"), "an input");
    fs::create_symlink(dir.Path("t_1.plt"), dir.Path("alias.plt"));
    OutputTransaction outputs;
    outputs.ProtectInputs({dir.Path("t_1.plt"), dir.Path("missing.gpx")});
    for (const std::string& output : {dir.Path("t_1.plt"), dir.Path("alias.plt")}) {
        try {
            WriteFileSafely(output, "an output");
            FAIL() << output << " was written";
        } catch (const FileError& error) {
            EXPECT_EQ(error.SystemMessage(), "Output File cannot be the same as the Input File");
        }
    }
    EXPECT_EQ(ReadText(dir.Path("t_1.plt")), "an input");
    EXPECT_EQ(outputs.PendingCount(), 0u);
}

TEST(OutputTransaction, TemporaryFilesLeftByAKilledRunAreRemovedOnceADayOld)
{
    TempDir dir;
    struct Case {
        const char* name;
        bool old, removed;
    };
    const Case cases[] = {
        {".kes-0123abcd.tmp", true, true},
        {".kes-4567cdef.tmp", false, false},  // perhaps a run still writing
        {".kes-0123abcd.tmp~", true, false},  // not of the pattern
        {".kes-0123ABCD.tmp", true, false},
    };
    for (const Case& c : cases) {
        WriteText(dir.Path(c.name), "left");
        if (c.old) fs::last_write_time(dir.Path(c.name), fs::file_time_type::clock::now() - std::chrono::hours(25));
    }
    WriteFileSafely(dir.Path("out.wpt"), "x");
    for (const Case& c : cases) EXPECT_EQ(fs::exists(dir.Path(c.name)), !c.removed) << c.name;
}
