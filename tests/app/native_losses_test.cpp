// SPDX-License-Identifier: GPL-3.0-or-later
// A rich GPX written to each native format: every kind of loss is one
// warning, listed in the report and counted by --strict.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/test_files.h"

namespace {
// Texts longer than every native field, two texts where the files hold one,
// links, a type, heart rates, an extension of no known namespace, an
// address, a waypoint without a symbol and one with none of its values, a
// route.
const std::string kRichGpx = R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="t" xmlns="http://www.topografix.com/GPX/1/1"
 xmlns:gpxtpx="http://www.garmin.com/xmlschemas/TrackPointExtension/v2"
 xmlns:gpxx="http://www.garmin.com/xmlschemas/GpxExtensions/v3">
 <wpt lat="1" lon="2"><ele>10</ele><time>2020-01-01T00:00:00Z</time><name>A long waypoint name</name>
  <cmt>a comment</cmt><desc>a description longer than twelve</desc><link href="http://a.example"/><sym>Flag</sym>
  <type>geocache</type></wpt>
 <wpt lat="1.5" lon="2.5"><name>Short</name></wpt>
 <rte><name>A route name over sixteen</name><rtept lat="1" lon="2"><ele>5</ele><name>P</name><sym>Dot</sym></rtept></rte>
 <trk><name>A track name of some length</name><desc>and a description</desc><type>cycling</type><trkseg>
  <trkpt lat="1" lon="2"><ele>100</ele><time>2020-01-01T00:00:00Z</time><extensions><gpxtpx:TrackPointExtension>
   <gpxtpx:hr>120</gpxtpx:hr></gpxtpx:TrackPointExtension><u:mark xmlns:u="urn:u">1</u:mark></extensions></trkpt>
 </trkseg></trk>
</gpx>
)";
}  // namespace

TEST(NativeLosses, EachKindOfLossIsOneWarningAndStrictSaysThree)
{
    const struct {
        const char* output;
        std::vector<std::string> warnings;
    } rows[] = {
        {"out.wpt",
         {"sources and types of 1 waypoint dropped: a .wpt holds none",
          "links of 1 waypoint dropped: a .wpt holds none", "the comment of 1 waypoint dropped: a .wpt holds one text",
          "1 waypoint without a symbol written with symbol 0, which a .wpt reads as \"Airport\": it has no code for "
          "none",
          "the elevation of 1 route point dropped: a .rte holds none",
          "1 track of the input left out: a .wpt holds no tracks"}},
        {"out.plt",
         {"the description of 1 track dropped: a .plt holds none",
          "links, sources and types of 1 track dropped: a .plt holds none",
          "heart rates, cadences, temperatures and depths of 1 point dropped: a .plt holds none",
          "GPX extensions of 1 point dropped: a .plt holds none"}},
        {"out.wrt",
         {"1 route dropped: a .wrt written holds none", "the name of 1 waypoint cut to 8 characters",
          "the description of 1 waypoint cut to 12 characters",
          "the comment of 1 waypoint dropped: a .wrt holds one text",
          "sources and types of 1 waypoint dropped: a .wrt holds none",
          "links of 1 waypoint dropped: a .wrt holds none", "the elevation of 1 waypoint dropped: a .wrt holds none",
          "the symbol of 1 waypoint dropped: a .wrt holds none",
          "1 track of the input left out: a .wrt holds no tracks"}},
        {"out.tlg",
         {"the time of 1 point dropped: a .tlg holds none", "the elevation of 1 point dropped: a .tlg holds none",
          "heart rates, cadences, temperatures and depths of 1 point dropped: a .tlg holds none",
          "GPX extensions of 1 point dropped: a .tlg holds none", "the name of 1 track cut to 12 characters",
          "the description of 1 track cut to 13 characters",
          "links, sources and types of 1 track dropped: a .tlg holds none"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.output);
        TempDir dir;
        WriteText(dir.Path("rich.gpx"), kRichGpx);
        const CommandResult r = RunConvertAfter("cd " + Quoted(dir.Root().string()) + " && ",
                                                {"-q", "--strict", "--report", "r.json", "rich.gpx", "-O", row.output});
        EXPECT_EQ(r.exitCode, 3) << r.err;
        std::vector<std::string> said;
        for (const std::string& line : r.errLines)
            if (line.rfind("kes-convert: rich.gpx: ", 0) == 0) said.push_back(line.substr(23));
        std::vector<std::string> expected = row.warnings;
        std::sort(said.begin(), said.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(said, expected);
        EXPECT_EQ(ReadText(dir.Path("r.json")).find("\"warnings\": []"), std::string::npos);
    }
}
