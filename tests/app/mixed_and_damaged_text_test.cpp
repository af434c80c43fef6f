// SPDX-License-Identifier: GPL-3.0-or-later
// Text inputs as a user converts them: a damaged latitude leaves its point
// out, and a file of waypoints and tracks goes whole into an output that
// holds both, or names the kind the output has no place for.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/sample_files.h"
#include "tests/support/test_files.h"

namespace {
std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

bool Warns(const CommandResult& run, const std::string& warning)
{
    return std::any_of(run.errLines.begin(), run.errLines.end(),
                       [&](const std::string& line) { return line.ends_with(": " + warning); });
}
}  // namespace

TEST(DamagedText, AnEmptyLatitudeLeavesItsPointOutAndStrictSaysThree)
{
    TempDir dir;
    std::string damaged = samples::KesTrack() + "52.3,4.5,0,-777,40000.7\r\n";
    damaged.replace(damaged.find("52.2"), 4, "    ");
    WriteText(dir.Path("damaged.plt"), damaged);
    const CommandResult run = RunConvert({"--strict", "--brief", dir.Path("damaged.plt"), "-O", dir.Path("d.gpx")});
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_TRUE(Warns(run, "1 point without a usable position was left out")) << run.err;
    EXPECT_NE(run.err.find("(0 waypoints, 2 track points; data left out)"), std::string::npos) << run.err;
    EXPECT_EQ(Count(ReadText(dir.Path("d.gpx")), "<trkpt"), 2u);
}

// Without -i: both kinds into GPX; into a native file of one kind, the other
// kinds are named in warnings, which --strict counts.
TEST(MixedText, NobletecAndMagellanFilesOfBothKinds)
{
    const struct {
        const char* name;
        std::string content;
        std::vector<std::string> leftOutOfPlt;
    } files[] = {
        {"marks.txt",
         "Type = Mark\r\nName = Buoy\r\nLatLon = 47 36.000 N 122 30.000 W\r\n"
         "Type = Mark\r\nName = Rock\r\nLatLon = 47 37.000 N 122 31.000 W\r\n"
         "NumberOfTrackMarks = 3\r\nTrackMarks = {\r\n47 36.000 N 122 30.000 W\r\n"
         "47 36.100 N 122 30.000 W\r\n47 36.200 N 122 30.000 W\r\n}\r\n",
         {"2 waypoints of the input left out: a .plt holds no waypoints"}},
        {"card.log",
         "$PMGNWPL,4807.038,N,01131.000,E,100,M,BUOY,,a*00\r\n"
         "$PMGNWPL,4808.038,N,01131.000,E,100,M,ROCK,,a*00\r\n"
         "$PMGNRTE,1,1,c,1,BUOY,a,ROCK,a*00\r\n"
         "$PMGNTRK,4807.038,N,01131.000,E,100,M,120000.00,A,,010120*00\r\n"
         "$PMGNTRK,4807.138,N,01131.000,E,100,M,120010.00,A,,010120*00\r\n"
         "$PMGNTRK,4807.238,N,01131.000,E,100,M,120020.00,A,,010120*00\r\n",
         {"2 waypoints of the input left out: a .plt holds no waypoints",
          "1 route of the input left out: a .plt holds no routes"}},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        TempDir dir;
        const std::string input = dir.Path(file.name);
        WriteText(input, file.content);

        const CommandResult gpx = RunConvert({"--brief", input, "-O", dir.Path("out.gpx")});
        ASSERT_EQ(gpx.exitCode, 0) << gpx.err;
        const std::string written = ReadText(dir.Path("out.gpx"));
        EXPECT_EQ(Count(written, "<wpt"), 2u);
        EXPECT_EQ(Count(written, "<trkpt"), 3u);

        const CommandResult plt = RunConvert({"--strict", input, "-O", dir.Path("out.plt")});
        EXPECT_EQ(plt.exitCode, 3) << plt.err;
        for (const std::string& warning : file.leftOutOfPlt) EXPECT_TRUE(Warns(plt, warning)) << plt.err;
        EXPECT_EQ(SplitCrLf(ReadText(dir.Path("out.plt"))).size(), 6u + 3u);

        const CommandResult wpt = RunConvert({"--strict", input, "-O", dir.Path("out.wpt")});
        EXPECT_EQ(wpt.exitCode, 3) << wpt.err;
        EXPECT_TRUE(Warns(wpt, "1 track of the input left out: a .wpt holds no tracks")) << wpt.err;
        EXPECT_EQ(SplitCrLf(ReadText(dir.Path("out.wpt"))).size(), 4u + 2u);
    }
}
