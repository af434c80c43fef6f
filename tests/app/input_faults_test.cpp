// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs a reader refuses or finds cut short, converted as whole processes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/format_positions.h"
#include "tests/support/sample_files.h"
#include "tests/support/test_files.h"

namespace {
bool HasLine(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}
}  // namespace

TEST(InputFaults, ARefusedInputLeavesTheOutputAsItWasAndFails)
{
    TempDir dir;
    ByteBuilder mapsendTrack = samples::MapsendHeader(2);
    mapsendTrack.u8(1).text("T").i32(0);
    WriteText(dir.Path("track.trk"), mapsendTrack.str());
    WriteText(dir.Path("card.log"), samples::kMagellanTrack);
    const struct {
        const char* format;
        const char* input;
        const char* output;
        const char* message;
    } cases[] = {
        {"mapsend-wpt", "track.trk", "kept.wpt", "This is not a Waypoint file"},
        {"mapsend-trk", "card.log", "kept.plt", "This is not a Track file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const std::string output = dir.Path(c.output);
        const std::string earlier = "an earlier output, worth keeping\r\n";
        WriteText(output, earlier);
        const auto files = [&] { return std::distance(std::filesystem::directory_iterator(dir.Root()), {}); };
        const auto filesBefore = files();
        const CommandResult r = RunConvert({"-i", c.format, dir.Path(c.input), "-O", output});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(HasLine(r.errLines, "kes-convert: " + dir.Path(c.input) + ": not converted: " + c.message))
            << r.err;
        EXPECT_TRUE(HasLine(r.errLines, "Written: nothing - the input file could not be read")) << r.err;
        EXPECT_EQ(ReadText(output), earlier);
        EXPECT_EQ(files(), filesBefore);
    }
    // The window's pane says the same.
    const HeadlessResult window =
        RunHeadless({kMapsendWaypoint, kKesWaypoint, dir.Path("kept.wpt"), dir.Path("track.trk")});
    EXPECT_TRUE(HasLine(window.lines, "message: This is not a Waypoint file"));
    EXPECT_TRUE(HasLine(window.lines, "Unable to Open File"));
    EXPECT_TRUE(HasLine(window.lines, "Written: nothing - the input file could not be read"));
}

TEST(InputFaults, HalfARealFileSaysItEndsInsideARecord)
{
    const struct {
        const char* fixture;
        const char* format;
        const char* kind;
        const char* written;
        int status;  // nothing read is nothing written: refused
    } cases[] = {
        {"mapsource/gdb-sample.gdb", "mapsource-trk", "MapSource",
         "Written: nothing - no track points were found in the part of the input read", 1},
        {"mapsend/chicago.trk", "mapsend-trk", "MapSend", "Written: 999 track points", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        TempDir dir;
        const std::string whole = ReadText(FixturePath(c.fixture));
        WriteText(dir.Path("half"), whole.substr(0, whole.size() / 2));
        const CommandResult r = RunConvert({"-i", c.format, dir.Path("half"), "-O", dir.Path("out.plt")});
        EXPECT_EQ(r.exitCode, c.status);
        EXPECT_TRUE(HasLine(r.errLines, "kes-convert: " + dir.Path("half") + ": The " + c.kind +
                                            " file ends inside a record: what came before it was read."))
            << r.err;
        EXPECT_TRUE(HasLine(r.errLines, c.written)) << r.err;
    }
}
