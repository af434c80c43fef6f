// SPDX-License-Identifier: GPL-3.0-or-later
// Through kes-headless: what a file holds comes out in GPX as the file holds
// it, also after a trip through the native track file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/text/text_encoding.h"
#include "core/time/utc_time.h"
#include "tests/support/format_positions.h"
#include "tests/support/test_files.h"

namespace {
// The texts of one element of a written GPX file (the texts below hold nothing escaped).
std::vector<std::string> Texts(const std::string& gpx, const std::string& element)
{
    std::vector<std::string> texts;
    const std::string open = "<" + element + ">";
    for (std::size_t at = gpx.find(open); at != std::string::npos; at = gpx.find(open, at + 1)) {
        const std::size_t from = at + open.size(), to = gpx.find('<', from);
        if (to != std::string::npos && gpx.compare(to, element.size() + 3, "</" + element + ">") == 0)
            texts.push_back(gpx.substr(from, to - from));
    }
    return texts;
}
}  // namespace

TEST(FidelityEndToEnd, TomTomNamesComeOutAsTheFileHoldsThem)
{
    TempDir dir;
    const std::string input = FixturePath("tomtom/tomtom.ov2");
    ASSERT_EQ(RunHeadless({kTomTom, kGpxWaypointsOut, dir.Path("poi.gpx"), input}).exitCode, 0);
    // From the bytes: a type-1 record is 21 bytes; any other gives its length, its text from its 14th byte.
    const std::string bytes = ReadText(input);
    std::vector<std::string> expected;
    for (std::size_t at = 0; at < bytes.size();) {
        std::int32_t length = 21;
        if (bytes[at] != 1) std::memcpy(&length, bytes.data() + at + 1, sizeof length);
        if (bytes[at] != 1) expected.push_back(LegacyToUtf8(bytes.substr(at + 13).c_str()));
        at += static_cast<std::size_t>(length);
    }
    ASSERT_EQ(expected.size(), 54u);
    EXPECT_EQ(expected[0], "Aebi Fr\xC3\xA8res, Bogis-Bossey");
    EXPECT_EQ(Texts(ReadText(dir.Path("poi.gpx")), "name"), expected);
}

TEST(FidelityEndToEnd, GpxThroughTheNativeTrackFileKeepsWholeSecondsWholeAndTheNameWhole)
{
    TempDir dir;
    const std::string name = "Rundweg \xC3\xBC"
                             "ber den H\xC3\xBCgel bei \xC3\x96hringen";
    std::string gpx = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><name>" + name + "</name><trkseg>";
    std::vector<std::string> times;
    for (int i = 0; i < 3000; ++i) {
        times.push_back(IsoTime(UtcTime{1673892146 + 7 * i, i == 1 ? 250000000 : 0}));
        gpx += "<trkpt lat=\"47\" lon=\"8\"><time>" + times.back() + "</time></trkpt>";
    }
    WriteText(dir.Path("in.gpx"), gpx + "</trkseg></trk></gpx>");
    ASSERT_EQ(RunHeadless({kGpxTracksIn, kKesTrack, dir.Path("ride.plt"), dir.Path("in.gpx")}).exitCode, 0);
    ASSERT_EQ(RunHeadless({kKesTrack, kGpxTrackOut, dir.Path("out.gpx"), dir.Path("ride_1.plt")}).exitCode, 0);
    const std::string out = ReadText(dir.Path("out.gpx"));
    EXPECT_EQ(Texts(out, "name"), std::vector<std::string>{name});
    std::vector<std::string> written = Texts(out, "time");
    ASSERT_FALSE(written.empty());
    written.erase(written.begin());  // the document's own time
    EXPECT_EQ(written, times);
}
