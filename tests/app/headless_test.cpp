// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "tests/support/format_positions.h"
#include "tests/support/test_files.h"

TEST(Headless, RefusesTheSameFormatOnBothSides)
{
    const HeadlessResult r = RunHeadless({kHoluxWaypoint, kHoluxWaypoint, "out.wrt", "in.wrt"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.lines, std::vector<std::string>{"message: Input and Output Formats cannot be the same"});
}

TEST(Headless, RefusesDifferentKinds)
{
    const HeadlessResult r = RunHeadless({kMapsendTrack, kHoluxWaypoint, "out.wrt", "in.trk"});
    EXPECT_EQ(r.lines, std::vector<std::string>{"message: Input and Output file format types are not the same"});
}

TEST(Headless, AnErrorEndsWithItsTextAndStatusOne)
{
    TempDir dir;
    const HeadlessResult r = RunHeadless({kKesWaypoint, kHoluxWaypoint, dir.Path("out.wrt"), dir.Path("missing.wpt")});
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_FALSE(r.lines.empty());
    EXPECT_EQ(r.lines.back().rfind("error: No such file or directory", 0), 0u);
}

TEST(Headless, AnOutputThatCannotBeWrittenLeavesTheEarlierFile)
{
    TempDir dir;
    WriteText(dir.Path("in.wpt"), "h\r\nWGS 84\r\n\r\n\r\n1,A,1,2\r\n");
    WriteText(dir.Path("in.plt"), "h\r\nWGS 84\r\n\r\n\r\n0,2,255,T\r\n0\r\n1,2\r\n");
    std::filesystem::create_directory(dir.Path("out.wpt"));  // a folder stands where the output goes
    const HeadlessResult r = RunHeadless({kMagellanWaypoint, kKesWaypoint, dir.Path("out.txt"), dir.Path("in.wpt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("out.wpt")));
    EXPECT_NE(r.output.find("Is a directory"), std::string::npos);
}
