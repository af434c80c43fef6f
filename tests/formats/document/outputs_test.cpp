// SPDX-License-Identifier: GPL-3.0-or-later
// The KML, GeoJSON and CSV writers: the exact file of an odd document and of
// an empty one, and the escaping of texts no reader should choke on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/csv/Csv.h"
#include "formats/document/DocumentText.h"
#include "formats/geojson/GeoJson.h"
#include "formats/kml/Kml.h"
#include "tests/support/odd_document.h"
#include "tests/support/test_files.h"

namespace {
using Writer = WriteResult (*)(const Document&, const WriteRequest&);

struct Case {
    const char* format;
    Writer write;
    std::string empty;  // of a document that holds nothing
    std::string odd;    // of odd_document
};

const std::string kKmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                             "<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
                             "xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\r\n"
                             "<Document>\r\n";
const std::string kCsvHead =
    "\xEF\xBB\xBFtype,track,route,section,lat,lon,ele_m,time,name,desc,sym,cmt,track_index,route_index\r\n";

const Case kCases[] = {
    {"kml", WriteKmlFile, kKmlHead + "</Document>\r\n</kml>\r\n",
     kKmlHead +
         "  <Folder><name>Waypoints</name>\r\n"
         "    <Placemark><name>Say &quot;hi&quot;, &lt;&amp;&gt; Чомолунгма 珠</name><description>two&#13;\n"
         "lines</description><TimeStamp><when>2020-06-08T18:39:00Z</when></TimeStamp><ExtendedData><Data "
         "name=\"cmt\"><value>c</value></Data><Data "
         "name=\"sym\"><value>Summit</value></Data></ExtendedData><Point><altitudeMode>absolute</"
         "altitudeMode><coordinates>86.925278,27.988056,8848.86</coordinates></Point></Placemark>\r\n"
         "    <Placemark><name>East of 180</name><ExtendedData><Data name=\"sym\"><value>Flag, "
         "Blue</value></Data></ExtendedData><Point><coordinates>180,-16.5</coordinates></Point></Placemark>\r\n"
         "    "
         "<Placemark><TimeStamp><when>2020-06-08T18:39:01.5Z</when></TimeStamp><Point><altitudeMode>absolute</"
         "altitudeMode><coordinates>-180,0,0</coordinates></Point></Placemark>\r\n"
         "  </Folder>\r\n"
         "  <Folder><name>Routes</name>\r\n"
         "    <Placemark><name>Route, "
         "&quot;one&quot;</name><Style><LineStyle><color>ffff0000</color><width>3</width></LineStyle></"
         "Style><LineString><tessellate>1</tessellate><coordinates>2,1,10.25 "
         "2.5,1.5</coordinates></LineString></Placemark>\r\n"
         "    <Folder><name>Route, &quot;one&quot;</name>\r\n"
         "      "
         "<Placemark><name>R1</name><TimeStamp><when>2020-06-08T18:39:02Z</when></"
         "TimeStamp><Point><altitudeMode>absolute</altitudeMode><coordinates>2,1,10.25</coordinates></Point></"
         "Placemark>\r\n"
         "      <Placemark><name>&lt;R2&gt;</name><Point><coordinates>2.5,1.5</coordinates></Point></Placemark>\r\n"
         "    </Folder>\r\n"
         "  </Folder>\r\n"
         "  <Folder><name>Tracks</name>\r\n"
         "    <Placemark><name>Track &lt;1&gt; &amp; &quot;more&quot;</name><description>by "
         "bike</description><Style><LineStyle><color>ff0000ff</color><width>3</width></LineStyle></Style>\r\n"
         "      <gx:MultiTrack>\r\n"
         "        <gx:Track>\r\n"
         "          <when>2020-06-08T18:39:00Z</when>\r\n"
         "          <when>2020-06-08T18:39:01Z</when>\r\n"
         "          <gx:coord>-0.1 51.5 30.48</gx:coord>\r\n"
         "          <gx:coord>-0.1 51.6</gx:coord>\r\n"
         "        </gx:Track>\r\n"
         "        <gx:Track><altitudeMode>absolute</altitudeMode>\r\n"
         "          <when>2020-06-08T18:39:03.25Z</when>\r\n"
         "          <when>2020-06-08T18:39:04Z</when>\r\n"
         "          <gx:coord>-0.1 51.7 12</gx:coord>\r\n"
         "          <gx:coord>-0.1 51.8 13</gx:coord>\r\n"
         "        </gx:Track>\r\n"
         "      </gx:MultiTrack>\r\n"
         "    </Placemark>\r\n"
         "    <Placemark><Style><LineStyle><color>ff4aff00</color><width>3</width></LineStyle></Style>\r\n"
         "      <LineString><tessellate>1</tessellate><coordinates>\r\n"
         "        179.5,10\r\n"
         "        -179.5,10.5,5\r\n"
         "        180,11\r\n"
         "      </coordinates></LineString>\r\n"
         "    </Placemark>\r\n"
         "    "
         "<Placemark><name>Mixed</name><Style><LineStyle><color>ffff0095</color><width>3</width></LineStyle></"
         "Style>\r\n"
         "      <MultiGeometry>\r\n"
         "        <gx:Track>\r\n"
         "          <when>2020-06-08T18:39:05Z</when>\r\n"
         "          <when>2020-06-08T18:39:06Z</when>\r\n"
         "          <gx:coord>1 1</gx:coord>\r\n"
         "          <gx:coord>1.5 1</gx:coord>\r\n"
         "        </gx:Track>\r\n"
         "        <LineString><tessellate>1</tessellate><coordinates>\r\n"
         "          2,2\r\n"
         "        </coordinates></LineString>\r\n"
         "      </MultiGeometry>\r\n"
         "    </Placemark>\r\n"
         "  </Folder>\r\n"
         "</Document>\r\n"
         "</kml>\r\n"},
    {"geojson", WriteGeoJsonFile, "{\"type\":\"FeatureCollection\",\"features\":[\r\n]}\r\n",
     "{\"type\":\"FeatureCollection\",\"features\":[\r\n"
     "{\"type\":\"Feature\",\"properties\":{\"type\":\"waypoint\",\"name\":\"Say \\\"hi\\\", <&> Чомолунгма "
     "珠\",\"desc\":\"two\\r\\nlines\",\"cmt\":\"c\",\"sym\":\"Summit\",\"time\":\"2020-06-08T18:39:00Z\"},"
     "\"geometry\":{\"type\":\"Point\",\"coordinates\":[86.925278,27.988056,8848.86]}},\r\n"
     "{\"type\":\"Feature\",\"properties\":{\"type\":\"waypoint\",\"name\":\"East of 180\",\"sym\":\"Flag, "
     "Blue\"},\"geometry\":{\"type\":\"Point\",\"coordinates\":[180,-16.5]}},\r\n"
     "{\"type\":\"Feature\",\"properties\":{\"type\":\"waypoint\",\"time\":\"2020-06-08T18:39:01.5Z\"},\"geometry\":{"
     "\"type\":\"Point\",\"coordinates\":[-180,0,0]}},\r\n"
     "{\"type\":\"Feature\",\"properties\":{\"type\":\"route\",\"name\":\"Route, "
     "\\\"one\\\"\",\"coordinateProperties\":{\"times\":[\"2020-06-08T18:39:02Z\",null],\"names\":[\"R1\",\"<R2>\"]}},"
     "\"geometry\":{\"type\":\"LineString\",\"coordinates\":[[2,1],[2.5,1.5]]}},\r\n"
     "{\"type\":\"Feature\",\"properties\":{\"type\":\"track\",\"name\":\"Track <1> & \\\"more\\\"\",\"desc\":\"by "
     "bike\",\"coordinateProperties\":{\"times\":[[\"2020-06-08T18:39:00Z\",\"2020-06-08T18:39:01Z\"],[\"2020-06-08T18:"
     "39:03.25Z\",\"2020-06-08T18:39:04Z\"]]}},\"geometry\":{\"type\":\"MultiLineString\",\"coordinates\":[[[-0.1,51.5]"
     ","
     "[-0.1,51.6]],[[-0.1,51.7],[-0.1,51.8]]]}},\r\n"
     "{\"type\":\"Feature\",\"properties\":{\"type\":\"track\"},\"geometry\":{\"type\":\"LineString\",\"coordinates\":["
     "[179.5,10],[-179.5,10.5],[180,11]]}},\r\n"
     "{\"type\":\"Feature\",\"properties\":{\"type\":\"track\",\"name\":\"Mixed\",\"coordinateProperties\":{\"times\":["
     "[\"2020-06-08T18:39:05Z\",\"2020-06-08T18:39:06Z\"],null],\"names\":[[null,null],\"Lone, "
     "point\"]}},\"geometry\":{\"type\":\"GeometryCollection\",\"geometries\":[{\"type\":\"LineString\","
     "\"coordinates\":[[1,1],[1.5,1]]},{\"type\":\"Point\",\"coordinates\":[2,2]}]}}\r\n"
     "]}\r\n"},
    {"csv", WriteCsvFile, kCsvHead,
     kCsvHead +
         "waypoint,,,,27.988056,86.925278,8848.86,2020-06-08T18:39:00Z,\"Say \"\"hi\"\", <&> Чомолунгма 珠\",\"two\r\n"
         "lines\",Summit,c,,\r\n"
         "waypoint,,,,-16.5,180,,,East of 180,,\"Flag, Blue\",,,\r\n"
         "waypoint,,,,0,-180,0,2020-06-08T18:39:01.5Z,,,,,,\r\n"
         "route point,,\"Route, \"\"one\"\"\",,1,2,10.25,2020-06-08T18:39:02Z,R1,,,,,1\r\n"
         "route point,,\"Route, \"\"one\"\"\",,1.5,2.5,,,<R2>,,,,,1\r\n"
         "track point,\"Track <1> & \"\"more\"\"\",,1,51.5,-0.1,30.48,2020-06-08T18:39:00Z,,,,,1,\r\n"
         "track point,\"Track <1> & \"\"more\"\"\",,1,51.6,-0.1,,2020-06-08T18:39:01Z,,,,,1,\r\n"
         "track point,\"Track <1> & \"\"more\"\"\",,2,51.7,-0.1,12,2020-06-08T18:39:03.25Z,,,,,1,\r\n"
         "track point,\"Track <1> & \"\"more\"\"\",,2,51.8,-0.1,13,2020-06-08T18:39:04Z,,,,,1,\r\n"
         "track point,,,1,10,179.5,,,,,,,2,\r\n"
         "track point,,,1,10.5,-179.5,5,,,,,,2,\r\n"
         "track point,,,1,11,180,,,,,,,2,\r\n"
         "track point,Mixed,,1,1,1,,2020-06-08T18:39:05Z,,,,,3,\r\n"
         "track point,Mixed,,1,1,1.5,,2020-06-08T18:39:06Z,,,,,3,\r\n"
         "track point,Mixed,,2,2,2,,,\"Lone, point\",,,,3,\r\n"},
};

WriteResult WriteTo(const Case& c, const Document& document, const std::string& file)
{
    WriteRequest request;
    request.outputName = file;
    request.exactNames = true;
    return c.write(document, request);
}
}  // namespace

TEST(Outputs, EachFormatWritesTheOddDocumentExactly)
{
    TempDir dir;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.format);
        const std::string empty = dir.Path(std::string("empty.") + c.format);
        EXPECT_EQ(WriteTo(c, Document{}, empty).counts, WrittenCounts{});
        EXPECT_EQ(ReadText(empty), c.empty);

        const std::string odd = dir.Path(std::string("odd.") + c.format);
        const WriteResult written = WriteTo(c, odd_document::Build(), odd);
        EXPECT_EQ(ReadText(odd), c.odd);
        EXPECT_EQ(written.counts, (WrittenCounts{.waypoints = 3, .routes = 1, .trackPoints = 10, .tracks = 3}));
        const Finding cut{FindingKind::Cut,
                          "Only points with a latitude from -90 to 90 and a longitude from -180 to 180 are saved - "
                          "this is a limitation of the " +
                              std::string(c.format) + " format.",
                          odd_document::kPointsOutOfRange};
        EXPECT_EQ(written.findings.All(), std::vector<Finding>{cut});
    }
}

TEST(Outputs, TextsAreEscapedAndKeptWhole)
{
    struct Text {
        std::string in, json, csv, xml;
    };
    const std::vector<Text> texts = {
        {"plain", "\"plain\"", "plain", "plain"},
        {"a \"b\", c", "\"a \\\"b\\\", c\"", "\"a \"\"b\"\", c\"", "a &quot;b&quot;, c"},
        {"line\r\nbreak\ttab\\", "\"line\\r\\nbreak\\ttab\\\\\"", "\"line\r\nbreak\ttab\\\"",
         "line&#13;\nbreak\ttab\\"},
        {std::string("nul\0\x1F<&>", 8), "\"nul\\u0000\\u001f<&>\"", std::string("nul\0\x1F<&>", 8),
         "nul&lt;&amp;&gt;"},
        {"\xFF\xC3(\xE2\x82\xAC \xF0\x9F\x97\xBA\xED\xA0\x80",
         "\"\xEF\xBF\xBD\xEF\xBF\xBD(\xE2\x82\xAC \xF0\x9F\x97\xBA\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"",
         "\xEF\xBF\xBD\xEF\xBF\xBD(\xE2\x82\xAC \xF0\x9F\x97\xBA\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
         "\xEF\xBF\xBD\xEF\xBF\xBD(\xE2\x82\xAC \xF0\x9F\x97\xBA\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const Text& t : texts) {
        std::string json, csv, xml;
        AppendJsonString(json, t.in);
        AppendCsvField(csv, t.in);
        doctext::AppendEscapedUtf8(xml, t.in);
        EXPECT_EQ(json, t.json);
        EXPECT_EQ(csv, t.csv);
        EXPECT_EQ(xml, t.xml);
    }
}

// Tracks and routes of equal names, or none, are told apart by their number
// in the document; a route without points has no rows, and its number stays its own.
TEST(Outputs, CsvNumbersEachTrackAndRoute)
{
    using odd_document::Points;
    Document document;
    document.routes.push_back({{.name = "Walk"}, Points({{1, 1, NAN, {}}})});
    document.routes.push_back({{.name = "Walk"}, {}});
    document.routes.push_back({{.name = "Walk"}, Points({{2, 2, NAN, {}}})});
    for (const char* name : {"Walk", "Walk", ""})
        document.tracks.push_back({{.name = name}, Points({{3, 3, NAN, {}, true}, {4, 4, NAN, {}}})});
    TempDir dir;
    WriteRequest request;
    request.outputName = dir.Path("walks.csv");
    request.exactNames = true;
    WriteCsvFile(document, request);
    EXPECT_EQ(ReadText(request.outputName), kCsvHead + "route point,,Walk,,1,1,,,,,,,,1\r\n"
                                                       "route point,,Walk,,2,2,,,,,,,,3\r\n"
                                                       "track point,Walk,,1,3,3,,,,,,,1,\r\n"
                                                       "track point,Walk,,1,4,4,,,,,,,1,\r\n"
                                                       "track point,Walk,,1,3,3,,,,,,,2,\r\n"
                                                       "track point,Walk,,1,4,4,,,,,,,2,\r\n"
                                                       "track point,,,1,3,3,,,,,,,3,\r\n"
                                                       "track point,,,1,4,4,,,,,,,3,\r\n");
}
