// SPDX-License-Identifier: GPL-3.0-or-later
// A GPX document holding every kind of data, written to every output: each
// kind of loss is one warning, listed in the report and counted by --strict;
// every value the output lacks is named, and every value named as lost is
// really absent from the files written (each value is a text of its own).
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tests/support/test_files.h"

namespace {
namespace fs = std::filesystem;

// Two waypoints (one with a comma in its name, none with a symbol), a route
// and a track of two sections, the second with a point without a time, the
// first with a point without an elevation.
const std::string kRichGpx = R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="t" xmlns="http://www.topografix.com/GPX/1/1"
 xmlns:gpxtpx="http://www.garmin.com/xmlschemas/TrackPointExtension/v2"
 xmlns:gpxx="http://www.garmin.com/xmlschemas/GpxExtensions/v3" xmlns:q="urn:q">
 <metadata><name>FILE-NAME</name><desc>FILE-DESC</desc><author><name>FILE-AUTHOR</name></author>
  <copyright author="FILE-COPY"/><link href="http://file-link.example"/><time>2020-01-01T00:00:00Z</time>
  <keywords>FILE-KEYWORDS</keywords><extensions><q:f>FILE-EXT</q:f></extensions></metadata>
 <wpt lat="10.5" lon="20.5"><ele>10</ele><time>2020-01-01T00:00:00Z</time><name>Waypoint Long Name</name>
  <cmt>W-CMT</cmt><desc>W-DESC</desc><src>W-SRC</src><link href="http://w-link.example"/><sym>Q Symbol</sym>
  <type>W-TYPE</type><sat>9</sat><hdop>3.0625</hdop><extensions><gpxtpx:TrackPointExtension><gpxtpx:hr>171</gpxtpx:hr>
  </gpxtpx:TrackPointExtension><gpxx:WaypointExtension><gpxx:Address><gpxx:City>W-CITY</gpxx:City></gpxx:Address>
  </gpxx:WaypointExtension><q:w>W-EXT</q:w></extensions></wpt>
 <wpt lat="10.25" lon="20.25"><name>Comma, Name</name></wpt>
 <rte><name>Route Name Longer Than Sixteen</name><cmt>R-GROUP-CMT</cmt><desc>R-GROUP-DESC</desc><src>R-GROUP-SRC</src>
  <link href="http://route-link.example"/><number>7</number><extensions><q:r>R-GROUP-EXT</q:r></extensions>
  <rtept lat="10.75" lon="20.75"><ele>5</ele><time>2020-01-01T00:00:00Z</time><name>Route Point Long Name</name>
   <cmt>R-CMT</cmt><desc>R-DESC</desc><src>R-SRC</src><link href="http://r-link.example"/><sym>Flag, Blue</sym>
   <type>R-TYPE</type><hdop>4.0625</hdop><extensions><gpxtpx:TrackPointExtension><gpxtpx:hr>172</gpxtpx:hr>
   </gpxtpx:TrackPointExtension><gpxx:WaypointExtension><gpxx:Address><gpxx:City>R-CITY</gpxx:City></gpxx:Address>
   </gpxx:WaypointExtension><q:p>R-EXT</q:p></extensions></rtept></rte>
 <trk><name>Track Name Longer Than Twelve</name><cmt>T-GROUP-CMT</cmt><desc>T-GROUP-DESC</desc><src>T-GROUP-SRC</src>
  <link href="http://track-link.example"/><number>9</number><extensions><q:t>T-GROUP-EXT</q:t></extensions>
  <trkseg>
   <trkpt lat="11.5" lon="21.5"><ele>1234.5</ele><time>2020-01-01T01:00:00Z</time><name>Track Point Name</name>
    <cmt>T-CMT</cmt><desc>T-DESC</desc><src>T-SRC</src><link href="http://t-link.example"/><sym>T Symbol</sym>
    <type>T-TYPE</type><hdop>5.0625</hdop><extensions><gpxtpx:TrackPointExtension><gpxtpx:hr>173</gpxtpx:hr>
    </gpxtpx:TrackPointExtension><gpxx:WaypointExtension><gpxx:Address><gpxx:City>T-CITY</gpxx:City></gpxx:Address>
    </gpxx:WaypointExtension><q:p>T-EXT</q:p></extensions></trkpt>
   <trkpt lat="11.75" lon="21.75"><time>2020-01-01T01:01:00Z</time></trkpt>
  </trkseg>
  <trkseg>
   <trkpt lat="12.5" lon="22.5"><ele>1</ele><time>2021-06-06T06:06:06Z</time></trkpt>
   <trkpt lat="12.75" lon="22.75"><ele>2</ele></trkpt>
  </trkseg>
 </trk>
</gpx>
)";

// A value of the document: the warning that names its loss, and its text in the files.
struct Value {
    const char* part;  // "waypoint", "route", "track" or "file": a part left out takes it along
    const char* said;  // the warning's pattern
    const char* text;
    bool textual = true;  // written as it is in every output that holds it
};

const Value kValues[] = {
    {"waypoint", "names? of \\d+ waypoints? (cut|dropped)", "Waypoint Long Name"},
    {"waypoint", "comments? of \\d+ waypoints? dropped", "W-CMT"},
    {"waypoint", "descriptions? of \\d+ waypoints? (cut|dropped)", "W-DESC"},
    {"waypoint", "sources and types of \\d+ waypoints? dropped", "W-SRC"},
    {"waypoint", "sources and types of \\d+ waypoints? dropped", "W-TYPE"},
    {"waypoint", "links of \\d+ waypoints? dropped", "w-link.example"},
    {"waypoint", "symbols? of \\d+ waypoints? (dropped|written as)", "Q Symbol"},
    {"waypoint", "addresses and other device details of \\d+ waypoints? dropped", "W-CITY"},
    {"waypoint", "heart rates, .* of \\d+ waypoints? dropped", ">171<"},
    {"waypoint", "speeds, courses, .* of \\d+ waypoints? dropped", "3.0625"},
    {"waypoint", "GPX extensions of \\d+ waypoints? dropped", "W-EXT"},
    {"waypoint", "commas and line breaks in the texts of \\d+ waypoints?", "Comma, Name"},
    {"route", "names? of \\d+ routes? (cut|dropped)", "Route Name Longer Than Sixteen"},
    {"route", "comments? of \\d+ routes? dropped", "R-GROUP-CMT"},
    {"route", "descriptions? of \\d+ routes? (cut|dropped)", "R-GROUP-DESC"},
    {"route", "links, sources and types of \\d+ routes? dropped", "R-GROUP-SRC"},
    {"route", "links, sources and types of \\d+ routes? dropped", "route-link.example"},
    {"route", "GPX extensions of \\d+ routes? dropped", "R-GROUP-EXT"},
    {"route", "names? of \\d+ route points? (cut|dropped)", "Route Point Long Name"},
    {"route", "comments? of \\d+ route points? dropped", "R-CMT"},
    {"route", "descriptions? of \\d+ route points? (cut|dropped)", "R-DESC"},
    {"route", "sources and types of \\d+ route points? dropped", "R-SRC"},
    {"route", "links of \\d+ route points? dropped", "r-link.example"},
    {"route", "addresses and other device details of \\d+ route points? dropped", "R-CITY"},
    {"route", "heart rates, .* of \\d+ route points? dropped", ">172<"},
    {"route", "speeds, courses, .* of \\d+ route points? dropped", "4.0625"},
    {"route", "GPX extensions of \\d+ route points? dropped", "R-EXT"},
    {"track", "names? of \\d+ tracks? (cut|dropped)", "Track Name Longer Than Twelve"},
    {"track", "comments? of \\d+ tracks? dropped", "T-GROUP-CMT"},
    {"track", "descriptions? of \\d+ tracks? (cut|dropped)", "T-GROUP-DESC"},
    {"track", "links, sources and types of \\d+ tracks? dropped", "T-GROUP-SRC"},
    {"track", "links, sources and types of \\d+ tracks? dropped", "track-link.example"},
    {"track", "GPX extensions of \\d+ tracks? dropped", "T-GROUP-EXT"},
    {"track", "names? of \\d+ track points? (cut|dropped)", "Track Point Name"},
    {"track", "comments? of \\d+ track points? dropped", "T-CMT"},
    {"track", "descriptions? of \\d+ track points? (cut|dropped)", "T-DESC"},
    {"track", "sources and types of \\d+ track points? dropped", "T-SRC"},
    {"track", "links of \\d+ track points? dropped", "t-link.example"},
    {"track", "symbols? of \\d+ track points? dropped", "T Symbol"},
    {"track", "addresses and other device details of \\d+ track points? dropped", "T-CITY"},
    {"track", "heart rates, .* of \\d+ track points? dropped", ">173<"},
    {"track", "speeds, courses, .* of \\d+ track points? dropped", "5.0625"},
    {"track", "GPX extensions of \\d+ track points? dropped", "T-EXT"},
    {"track", "times? of \\d+ track points? dropped", "2021-06-06T06:06:06", false},
    {"track", "elevations? of \\d+ track points? dropped", "1234.5", false},
    {"file", "the file's name dropped", "FILE-NAME"},
    {"file", "the file's description dropped", "FILE-DESC"},
    {"file", "the file's author dropped", "FILE-AUTHOR"},
    {"file", "the file's copyright dropped", "FILE-COPY"},
    {"file", "the file's links dropped", "file-link.example"},
    {"file", "the file's keywords dropped", "FILE-KEYWORDS"},
    {"file", "the file's GPX extensions dropped", "FILE-EXT"},
};

bool Said(const std::vector<std::string>& warnings, const std::string& pattern)
{
    const std::regex said(pattern);
    for (const std::string& warning : warnings)
        if (std::regex_search(warning, said)) return true;
    return false;
}

// Every file the conversion wrote, as one text.
std::string Written(const TempDir& dir)
{
    std::string all;
    for (const auto& entry : fs::directory_iterator(dir.Root()))
        if (const std::string name = entry.path().filename().string(); name != "rich.gpx" && name != "r.json")
            all += ReadText(entry.path().string());
    return all;
}
}  // namespace

TEST(LossSurvey, EveryOutputNamesWhatItLacksAndLacksWhatItNames)
{
    const struct {
        const char* output;
        const char* format;
        bool textsOnly = false;  // times and heights held are written as they were read
    } outputs[] = {
        {"out.wpt", "kes-wpt"},   {"out.plt", "kes-plt"},     {"out.wrt", "holux-wrt"},
        {"out.tlg", "holux-tlg"}, {"w.gpx", "gpx-wpt", true}, {"t.gpx", "gpx-trk", true},
        {"out.gpx", "gpx", true}, {"out.kml", "kml", true},   {"out.geojson", "geojson", true},
        {"out.csv", "csv", true},
    };
    for (const auto& o : outputs) {
        SCOPED_TRACE(o.output);
        TempDir dir;
        WriteText(dir.Path("rich.gpx"), kRichGpx);
        // A step that changes nothing here lets GPX be written as GPX of one kind.
        const CommandResult r = RunConvertAfter(
            "cd " + Quoted(dir.Root().string()) + " && ",
            {"-q", "--strict", "--report", "r.json", "--drop-repeats", "-o", o.format, "rich.gpx", "-O", o.output});
        std::vector<std::string> warnings;
        for (const std::string& line : r.errLines)
            if (line.rfind("kes-convert: rich.gpx: ", 0) == 0) warnings.push_back(line.substr(23));
        // GPX holds everything of every part it holds: only the other parts are lost.
        EXPECT_EQ(r.exitCode, std::string(o.format) == "gpx" ? 0 : 3) << r.err;
        EXPECT_EQ(ReadText(dir.Path("r.json")).find("\"warnings\": []") != std::string::npos, warnings.empty());
        const std::string written = Written(dir);
        for (const Value& v : kValues) {
            SCOPED_TRACE(v.text);
            const bool partLeftOut = Said(warnings, std::string("of the input left out: a .* holds no ") + v.part);
            const bool lost = partLeftOut || Said(warnings, v.said);
            const bool present = written.find(v.text) != std::string::npos;
            if (lost) {
                EXPECT_FALSE(present) << "named as lost, but written";
            } else if (o.textsOnly || v.textual) {
                EXPECT_TRUE(present) << "lost without a word:\n" << r.err;
            }
        }
    }
}

// Files read together into one output: each warning names the file it is
// about, and one file's details are never mixed with another's.
TEST(LossSurvey, InputsReadTogetherKeepTheirOwnWarningsAndTheFirstDetails)
{
    TempDir dir;
    const auto gpx = [](const std::string& metadata) {
        return "<gpx version=\"1.1\" creator=\"t\" xmlns=\"http://www.topografix.com/GPX/1/1\"><metadata>" + metadata +
               "</metadata><wpt lat=\"1\" lon=\"2\"/></gpx>";
    };
    WriteText(dir.Path("a.gpx"), gpx("<name>FIRST</name>"));
    WriteText(dir.Path("b.gpx"), gpx("<desc>SECOND</desc><link href=\"http://second.example\"/>"));
    WriteText(dir.Path("c.log"), "$GPRMC,123519,A,4807.038,N,01131.000,E,,,230394,,*1D\r\n"
                                 "$GPRMC,123520,A,4807.138,N,01131.100,E,,,230394,,*00\r\n");
    const CommandResult r = RunConvertAfter("cd " + Quoted(dir.Root().string()) + " && ",
                                            {"-q", "--strict", "a.gpx", "b.gpx", "c.log", "-O", "out.gpx"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.errLines, (std::vector<std::string>{
                              "kes-convert: c.log: 1 sentence with a wrong checksum was skipped",
                              "kes-convert: a.gpx: the file's details of 1 other input dropped: an output holds "
                              "those of one file, the first that has any"}));
    const std::string out = ReadText(dir.Path("out.gpx"));
    EXPECT_NE(out.find("FIRST"), std::string::npos);
    EXPECT_EQ(out.find("SECOND"), std::string::npos);
    EXPECT_EQ(out.find("second.example"), std::string::npos);
}

// The road a MapSource route follows goes into GPX whole, and is named where it cannot go.
TEST(LossSurvey, TheRoadOfARouteIsWrittenOrNamed)
{
    TempDir dir;
    const std::string gdb = FixturePath("mapsource/gdb-sample.gdb");
    ASSERT_EQ(RunConvert({"-q", gdb, "-o", "gpx", "-O", dir.Path("r.gpx")}).exitCode, 0);
    const std::string gpx = ReadText(dir.Path("r.gpx"));
    std::size_t links = 0;
    for (std::size_t at = gpx.find("<gpxx:rpt "); at != std::string::npos; at = gpx.find("<gpxx:rpt ", at + 1)) ++links;
    EXPECT_EQ(links, 1520u);
    const CommandResult wpt = RunConvert({"-q", "--strict", gdb, "-O", dir.Path("r.wpt")});
    EXPECT_EQ(wpt.exitCode, 3);
    const std::string said = ": the road of 1 route (1,520 link points) dropped: a .rte holds none\n";
    EXPECT_NE(wpt.err.find(said), std::string::npos) << wpt.err;
}
