// SPDX-License-Identifier: GPL-3.0-or-later
// GPX to GPX keeps every element GPX defines and every extension, in place.
#include <gtest/gtest.h>

#include "tests/support/test_files.h"

namespace {
// Every element and attribute of GPX 1.1, the common extensions (gpxx,
// gpxtpx version 2), a geocache and a namespace nobody knows; numbers and
// times as the writer writes them, bounds those of the points.
const std::string kEveryElement = R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1"
 xmlns:gpxx="http://www.garmin.com/xmlschemas/GpxExtensions/v3"
 xmlns:gpxtpx="http://www.garmin.com/xmlschemas/TrackPointExtension/v2"
 xmlns:groundspeak="http://www.groundspeak.com/cache/1/0/1" xmlns:u="urn:unknown">
 <metadata><name>All</name><desc>every element</desc>
  <author><name>Ann</name><email id="ann" domain="example.org"/><link href="http://ann.example"><text>Ann's</text><type>text/html</type></link></author>
  <copyright author="Ann"><year>2020</year><license>http://license.example</license></copyright>
  <link href="http://a.example"><text>a</text></link><link href="http://b.example"/>
  <time>2020-01-02T03:04:05Z</time><keywords>k</keywords>
  <bounds minlat="1" minlon="2" maxlat="3.5" maxlon="4.5"/>
  <extensions><u:made by="hand">yes</u:made></extensions></metadata>
 <wpt lat="1" lon="2"><ele>12.5</ele><time>2020-01-01T00:00:00Z</time><magvar>3.5</magvar><geoidheight>-34.2</geoidheight>
  <name>W</name><cmt>c</cmt><desc>d</desc><src>s</src><link href="http://w1.example"/><link href="http://w2.example"><text>t</text></link>
  <sym>Geocache</sym><type>Geocache|Traditional Cache</type><fix>dgps</fix><sat>7</sat><hdop>1.2</hdop><vdop>2.5</vdop><pdop>3</pdop>
  <ageofdgpsdata>2</ageofdgpsdata><dgpsid>17</dgpsid>
  <extensions><gpxx:WaypointExtension><gpxx:Proximity>25</gpxx:Proximity><gpxx:DisplayMode>SymbolAndName</gpxx:DisplayMode>
   <gpxx:Categories><gpxx:Category>Caches</gpxx:Category></gpxx:Categories><gpxx:Address><gpxx:StreetAddress>1 Main St</gpxx:StreetAddress>
   <gpxx:City>Town</gpxx:City><gpxx:PostalCode>12345</gpxx:PostalCode></gpxx:Address><gpxx:PhoneNumber>555</gpxx:PhoneNumber></gpxx:WaypointExtension>
   <groundspeak:cache id="1" available="True" archived="False"><groundspeak:name>C &amp; D</groundspeak:name>
    <groundspeak:difficulty>1.5</groundspeak:difficulty><groundspeak:encoded_hints>under the rock</groundspeak:encoded_hints>
    <groundspeak:logs><groundspeak:log id="9"><groundspeak:date>2020-01-01T00:00:00</groundspeak:date><groundspeak:text encoded="False">Found
it</groundspeak:text></groundspeak:log></groundspeak:logs></groundspeak:cache>
   <u:note xmlns:v="urn:inner" v:level="2 &amp; é">kept</u:note></extensions></wpt>
 <rte><name>R</name><cmt>c</cmt><desc>d</desc><src>s</src><link href="http://r.example"/><number>3</number><type>road</type>
  <extensions><gpxx:RouteExtension><gpxx:IsAutoNamed>false</gpxx:IsAutoNamed><gpxx:DisplayColor>Magenta</gpxx:DisplayColor></gpxx:RouteExtension></extensions>
  <rtept lat="3.5" lon="4.5"><name>P</name><extensions><gpxx:RoutePointExtension><gpxx:Subclass>000000000000FFFFFFFFFFFFFFFFFFFFFFFF</gpxx:Subclass>
   <gpxx:rpt lat="3" lon="4"><gpxx:Subclass>000000000000FFFFFFFFFFFFFFFFFFFFFFFF</gpxx:Subclass></gpxx:rpt></gpxx:RoutePointExtension></extensions></rtept></rte>
 <trk><name>T</name><cmt>c</cmt><desc>d</desc><src>s</src><link href="http://t.example"/><number>1</number><type>cycling</type>
  <extensions><gpxx:TrackExtension><gpxx:DisplayColor>Red</gpxx:DisplayColor></gpxx:TrackExtension></extensions>
  <trkseg><trkpt lat="1.5" lon="2.5"><ele>100</ele><time>2020-01-01T00:00:01Z</time>
   <extensions><gpxtpx:TrackPointExtension><gpxtpx:atemp>20</gpxtpx:atemp><gpxtpx:wtemp>15</gpxtpx:wtemp><gpxtpx:depth>2</gpxtpx:depth>
    <gpxtpx:hr>120</gpxtpx:hr><gpxtpx:cad>80</gpxtpx:cad><gpxtpx:speed>5.5</gpxtpx:speed><gpxtpx:course>90</gpxtpx:course></gpxtpx:TrackPointExtension>
    <u:power>200</u:power></extensions></trkpt>
   <extensions><u:segment>first</u:segment></extensions></trkseg></trk>
 <extensions><u:file>end</u:file></extensions>
</gpx>
)";

int Convert(const TempDir& dir, const std::string& input)
{
    return RunConvertAfter("cd " + Quoted(dir.Root().string()) + " && ",
                           {"-q", "--strict", input, "-o", "gpx", "-O", "out.gpx"})
        .exitCode;
}

std::string Compared(const char* mode, const std::string& a, const std::string& b)
{
    std::string out;
    RunShell("python3 " + Quoted(KES_XML_TREES) + " " + mode + " " + Quoted(a) + " " + Quoted(b) + " 2>&1", out);
    return out.substr(0, 2000);
}
}  // namespace

TEST(GpxPassthrough, EveryElementAndExtensionComesBackInPlace)
{
    TempDir dir;
    WriteText(dir.Path("all.gpx"), kEveryElement);
    ASSERT_EQ(Convert(dir, "all.gpx"), 0);
    EXPECT_EQ(Compared("same", dir.Path("all.gpx"), dir.Path("out.gpx")).substr(0, 5), "same:");
    EXPECT_EQ(GpxSchemaErrors(dir.Path("out.gpx")), "");
}

TEST(GpxPassthrough, RealFilesKeepEveryExtension)
{
    for (const char* name : {"GC7FA4.gpx", "basecamp.gpx", "gpxpassthrough10.gpx"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        const std::string input = FixturePath(std::string("gpx/") + name);
        ASSERT_EQ(Convert(dir, input), 0);
        EXPECT_EQ(Compared("foreign", input, dir.Path("out.gpx")).substr(0, 5), "same:");
        EXPECT_EQ(GpxSchemaErrors(dir.Path("out.gpx")), "");
    }
}

// A GPX file in UTF-16 or UTF-32 is told by its byte-order mark or its zero
// bytes, without -i, and read; UTF-32 that holds no character is read up to it.
TEST(GpxPassthrough, Utf16AndUtf32AreRead)
{
    const auto wide = [](std::string bom, int width, bool big) {
        const std::u32string gpx =
            U"<?xml version=\"1.0\" encoding=\"UTF-" + std::u32string(width == 2 ? U"16" : U"32") +
            U"\"?><gpx version=\"1.1\" creator=\"t\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
            U"<wpt lat=\"1\" lon=\"2\"><name>\u00E9</name></wpt></gpx>";
        for (const char32_t c : gpx)
            for (int k = 0; k < width; ++k) bom += static_cast<char>(c >> (8 * (big ? width - 1 - k : k)));
        return bom;
    };
    // Bytes that are no character before the end of the root.
    const auto Cut = [](const std::string& bytes) {
        const std::size_t end = bytes.size() - 24;
        return bytes.substr(0, end) + std::string("\0\0\0\x7F", 4) + bytes.substr(end);
    };
    const struct {
        std::string bytes;
        std::string warning;
    } rows[] = {{wide("\xFF\xFE", 2, false), ""},
                {wide("\xFE\xFF", 2, true), ""},
                {wide("", 2, false), ""},
                {wide(std::string("\xFF\xFE\0\0", 4), 4, false), ""},
                {wide(std::string("\0\0\xFE\xFF", 4), 4, true), ""},
                {wide("", 4, false), ""},
                {wide("", 4, true), ""},
                {Cut(wide("", 4, false)), "bytes that are not UTF-32 characters"}};
    for (const auto& row : rows) {
        TempDir dir;
        WriteText(dir.Path("wide.gpx"), row.bytes);
        const CommandResult r =
            RunConvertAfter("cd " + Quoted(dir.Root().string()) + " && ", {"wide.gpx", "-o", "gpx", "-O", "out.gpx"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(ReadText(dir.Path("out.gpx")).find("<wpt lat=\"1\" lon=\"2\"><name>\xC3\xA9</name>"),
                  std::string::npos);
        EXPECT_EQ(r.err.find(row.warning) != std::string::npos, true) << r.err;
    }
}
