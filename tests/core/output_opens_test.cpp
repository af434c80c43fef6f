// SPDX-License-Identifier: GPL-3.0-or-later
// How an output is opened: once, on what was resolved, never through what
// another user put in a sticky folder, and under the one name it goes to.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "core/io/file_io.h"
#include "core/io/output_target.h"
#include "core/io/output_transaction.h"
#include "tests/support/test_files.h"

namespace {
namespace fs = std::filesystem;
constexpr uid_t kOtherUser = 65534;  // nobody
}  // namespace

TEST(OutputOpens, OnlyWhatWasResolvedAndNothingAnotherUserPlanted)
{
    struct Case {
        const char* name;
        bool needsAnotherUser;
        // Makes the trap in `dir`; writes the output; returns the error's text or "" when written.
        std::function<std::string(const TempDir& dir)> attempt;
    };
    const auto write = [](const std::string& path) -> std::string {
        try {
            WriteFileSafely(path, "output");
            return {};
        } catch (const FileError& error) {
            return error.SystemMessage();
        }
    };
    const Case cases[] = {
        {"a FIFO swapped for a link between its resolution and its open", false,
         [](const TempDir& dir) -> std::string {
             ::mkfifo(dir.Path("shared/pipe").c_str(), 0600);
             const OutputTarget target = ResolveOutput(dir.Path("shared/pipe"));
             fs::remove(dir.Path("shared/pipe"));
             fs::create_symlink(dir.Path("private/data.gpx"), dir.Path("shared/pipe"));
             try {
                 ::close(OpenForWritingInto(target, dir.Path("shared/pipe")));
                 return {};
             } catch (const FileError& error) {
                 return error.SystemMessage();
             }
         }},
        {"a link to a folder that another user put in a sticky folder", true,
         [&](const TempDir& dir) {
             fs::create_directory_symlink(dir.Path("private"), dir.Path("shared/d"));
             if (::lchown(dir.Path("shared/d").c_str(), kOtherUser, kOtherUser) != 0) return std::string("skip");
             return write(dir.Path("shared/d/data.gpx"));
         }},
        {"a file another user put in a sticky folder", true,
         [&](const TempDir& dir) {
             WriteText(dir.Path("shared/planted.gpx"), "theirs");
             if (::chown(dir.Path("shared/planted.gpx").c_str(), kOtherUser, kOtherUser) != 0)
                 return std::string("skip");
             const std::string said = write(dir.Path("shared/planted.gpx"));
             return ReadText(dir.Path("shared/planted.gpx")) == "theirs" ? said : "written into";
         }},
        {"a FIFO another user put in a sticky folder", true,
         [&](const TempDir& dir) {
             ::mkfifo(dir.Path("shared/planted.pipe").c_str(), 0666);
             if (::chown(dir.Path("shared/planted.pipe").c_str(), kOtherUser, kOtherUser) != 0)
                 return std::string("skip");
             return write(dir.Path("shared/planted.pipe"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        fs::create_directories(dir.Path("shared"));
        fs::create_directories(dir.Path("private"));
        ::chmod(dir.Path("shared").c_str(), 01777);
        WriteText(dir.Path("private/data.gpx"), "private");
        if (c.needsAnotherUser && ::geteuid() != 0) {
            std::printf("skipped: %s: only root can give a file to another user\n", c.name);
            continue;
        }
        const std::string said = c.attempt(dir);
        if (said == "skip") continue;
        EXPECT_TRUE(said == "Permission denied" || said == kChangedMeanwhile) << said;
        EXPECT_EQ(ReadText(dir.Path("private/data.gpx")), "private");
    }
}

// The one track of an input goes to the name asked for: whatever sits at
// NAME_1 (a FIFO no one reads, a folder) is never looked into.
TEST(OutputOpens, OneTrackIsResolvedUnderItsOneName)
{
    for (const bool fifo : {true, false}) {
        SCOPED_TRACE(fifo ? "a FIFO at ride_1.plt" : "a folder at ride_1.plt");
        TempDir dir;
        if (fifo) ::mkfifo(dir.Path("ride_1.plt").c_str(), 0600);
        else fs::create_directories(dir.Path("ride_1.plt"));
        {
            OutputTransaction outputs;
            WriteFileSafely(dir.Path("ride_1.plt"), "the only track", &outputs);
            outputs.Rename(dir.Path("ride_1.plt"), dir.Path("ride.plt"));
            outputs.Commit();
        }
        EXPECT_EQ(ReadText(dir.Path("ride.plt")), "the only track");
        EXPECT_TRUE(fifo ? fs::is_fifo(dir.Path("ride_1.plt")) : fs::is_directory(dir.Path("ride_1.plt")));
    }
}
