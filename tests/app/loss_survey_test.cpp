// SPDX-License-Identifier: GPL-3.0-or-later
// A GPX document holding every kind of data, written to every output: each
// kind of loss is one warning, listed in the report and counted by --strict;
// every value the output lacks is named, and every value named as lost is
// really absent from the files written (each value is a text of its own).
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

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
    std::string part;        // "waypoint", "route", "track" or "file": a part left out takes it along
    std::string what, noun;  // the warning's start and the things it counts ("file": none)
    std::string text;
    bool textual = true;  // written as it is in every output that holds it
};

// Each point of the document holds its own texts, the group's start with "G".
std::vector<Value> Values()
{
    std::vector<Value> values;
    const std::pair<const char*, const char*> kinds[] = {
        {"comment", "-CMT"},           {"description", "-DESC"},
        {"sources and types", "-SRC"}, {"sources and types", "-TYPE"},
        {"links", "-link.example"},    {"addresses and other device details", "-CITY"},
        {"GPX extensions", "-EXT"}};
    const struct {
        const char *part, *noun, *letter, *name, *heartRate, *hdop;
    } points[] = {{"waypoint", "waypoint", "W", "Waypoint Long Name", ">171<", "3.0625"},
                  {"route", "route point", "R", "Route Point Long Name", ">172<", "4.0625"},
                  {"track", "track point", "T", "Track Point Name", ">173<", "5.0625"}};
    for (const auto& p : points) {
        for (const auto& [what, suffix] : kinds) {
            const std::string letter = std::string(what) == "links" ? std::string(1, p.letter[0] + 32) : p.letter;
            values.push_back({p.part, what, p.noun, letter + suffix});
        }
        values.push_back({p.part, "name", p.noun, p.name});
        values.push_back({p.part, "heart rates", p.noun, p.heartRate});
        values.push_back({p.part, "speeds, courses", p.noun, p.hdop});
    }
    for (const char* group : {"route", "track"}) {
        const std::string letter(1, static_cast<char>(group[0] - 32));
        for (const auto& [what, suffix] :
             {std::pair{"comment", "-GROUP-CMT"}, std::pair{"description", "-GROUP-DESC"},
              std::pair{"links, sources and types", "-GROUP-SRC"}, std::pair{"GPX extensions", "-GROUP-EXT"}})
            values.push_back({group, what, group, letter + suffix});
        values.push_back({group, "links, sources and types", group, std::string(group) + "-link.example"});
    }
    values.push_back({"route", "name", "route", "Route Name Longer Than Sixteen"});
    values.push_back({"track", "name", "track", "Track Name Longer Than Twelve"});
    values.push_back({"waypoint", "symbol", "waypoint", "Q Symbol"});
    values.push_back({"track", "symbol", "track point", "T Symbol"});
    values.push_back({"waypoint", "commas and line breaks", "waypoint", "Comma, Name"});
    values.push_back({"track", "time", "track point", "2021-06-06T06:06:06", false});
    values.push_back({"track", "elevation", "track point", "1234.5", false});
    for (const auto& [what, text] :
         {std::pair{"name", "FILE-NAME"}, std::pair{"description", "FILE-DESC"}, std::pair{"author", "FILE-AUTHOR"},
          std::pair{"copyright", "FILE-COPY"}, std::pair{"links", "file-link.example"},
          std::pair{"keywords", "FILE-KEYWORDS"}, std::pair{"GPX extensions", "FILE-EXT"}})
        values.push_back({"file", std::string("the file's ") + what + " dropped", "file", text});
    return values;
}

// "the name of 1 waypoint cut ...", "links of 3 route points dropped ...":
// the warning starts with what it says and counts the noun, then says what became of it.
bool Names(std::string w, const Value& v)
{
    if (v.noun == "file") return w.starts_with(v.what);
    if (w.starts_with("the ")) w.erase(0, 4);
    if (!w.starts_with(v.what)) return false;
    for (std::size_t at = w.find(" of "); at != std::string::npos; at = w.find(" of ", at + 1)) {
        std::size_t p = at + 4;
        while (p < w.size() && (std::isdigit(static_cast<unsigned char>(w[p])) || w[p] == ',')) ++p;
        if (p == at + 4 || !w.substr(p).starts_with(" " + v.noun)) continue;
        const std::string rest = w.substr(p + 1 + v.noun.size());
        for (const char* verb : {" dropped", " cut", " written", "s dropped", "s cut", "s written"})
            if (rest.starts_with(verb)) return true;
    }
    return false;
}

bool Said(const std::vector<std::string>& warnings, const Value& v)
{
    for (const std::string& warning : warnings) {
        const bool partLeftOut =
            warning.find("of the input left out") != std::string::npos && warning.ends_with("holds no " + v.part + "s");
        if (partLeftOut || Names(warning, v)) return true;
    }
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
        for (const Value& v : Values()) {
            SCOPED_TRACE(v.text);
            const bool lost = Said(warnings, v);
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
