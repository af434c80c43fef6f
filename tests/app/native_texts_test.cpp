// SPDX-License-Identifier: GPL-3.0-or-later
// A native output gets the same names and texts whatever the input: a device
// file written to a waypoint file directly, or first to GPX and then from
// there, gives each waypoint the same name and description.
#include <gtest/gtest.h>

#include "core/text/text_fields.h"
#include "tests/support/test_files.h"

namespace {
// The name and description columns of each waypoint line.
std::vector<std::string> Texts(const std::string& wpt)
{
    std::vector<std::string> texts;
    const std::vector<std::string> lines = SplitCrLf(ReadText(wpt));
    for (std::size_t i = 4; i < lines.size(); ++i)
        if (!lines[i].empty()) texts.push_back(GetField(lines[i], 2, "") + "|" + GetField(lines[i], 11, ""));
    return texts;
}
}  // namespace

TEST(NativeTexts, AreTheSameDirectlyAndThroughGpx)
{
    for (const char* fixture : {"tomtom/tomtom.ov2", "mapsource/gdb-sample.gdb", "mapsource/gdb-sample2.gdb",
                                "mapsource/mapsource.mps", "mapsource/route.mps", "magellan/magellan.rte"}) {
        SCOPED_TRACE(fixture);
        TempDir dir;
        const std::string input = FixturePath(fixture);
        ASSERT_EQ(RunConvert({"-q", "-o", "kes-wpt", input, "-O", dir.Path("direct.wpt")}).exitCode, 0);
        ASSERT_EQ(RunConvert({"-q", "-o", "gpx", input, "-O", dir.Path("via.gpx")}).exitCode, 0);
        ASSERT_EQ(RunConvert({"-q", dir.Path("via.gpx"), "-O", dir.Path("via.wpt")}).exitCode, 0);
        const std::vector<std::string> direct = Texts(dir.Path("direct.wpt"));
        EXPECT_FALSE(direct.empty());
        EXPECT_EQ(direct, Texts(dir.Path("via.wpt")));
    }
}

// The names of a device file keep their blanks, punctuation and letters
// beyond ASCII; only the comma, which separates the columns, becomes a blank.
TEST(NativeTexts, KeepEveryCharacterButTheSeparator)
{
    TempDir dir;
    ASSERT_EQ(RunConvert({"-q", FixturePath("tomtom/tomtom.ov2"), "-O", dir.Path("t.wpt")}).exitCode, 0);
    const std::vector<std::string> texts = Texts(dir.Path("t.wpt"));
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Aebi Fr\xE8res  Bogis-Bossey|Aebi Fr\xE8res  Bogis-Bossey");
}
