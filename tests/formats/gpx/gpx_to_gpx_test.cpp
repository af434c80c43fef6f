// SPDX-License-Identifier: GPL-3.0-or-later
// GPX to GPX through the output that takes everything: every field the
// input holds comes back, byte for byte as expected, and the file is valid.
#include <gtest/gtest.h>

#include <string>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/time/clock.h"
#include "formats/format_table.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_files.h"

namespace {
const std::string kRich = R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1"
     xmlns:tp="http://www.garmin.com/xmlschemas/TrackPointExtension/v2" xmlns:o="urn:other">
  <metadata><name>Rich &amp; full</name><desc>all fields</desc><author><name>Ann</name></author>
    <link href="http://x.example/a?b=1&amp;c=2"><text>home</text><type>text/html</type></link>
    <time>2020-02-29T23:59:59.5+01:00</time><keywords>k1, k2</keywords></metadata>
  <wpt lat="27.988056" lon="86.925278"><ele>8848.86</ele><time>2020-06-08T18:39:00Z</time>
    <name>Чомолунгма, 珠穆朗玛峰</name><cmt>a comment,
 two lines</cmt><desc>the desc</desc><src>survey</src><link href="http://peak.example"/>
    <sym>Summit</sym><type>peak</type><fix>3d</fix><sat>7</sat><hdop>1.2</hdop><vdop>2.5</vdop><pdop>3</pdop></wpt>
  <wpt lat="-16.5" lon="180"><name>Date line</name><sym>Flag, Blue</sym></wpt>
  <rte><name>A route with a very long name indeed</name><desc>r</desc><number>4</number>
    <rtept lat="1" lon="2"><name>R1</name><sym>Dot</sym><time>2001-01-01T00:00:00.001Z</time><ele>-12.5</ele></rtept>
    <rtept lat="1.5" lon="2.5"><name>R2</name></rtept></rte>
  <trk><name>Ride</name><cmt>tc</cmt><type>cycling</type>
    <trkseg><trkpt lat="40.1" lon="-105.2"><ele>1531.4</ele><time>2023-01-16T18:02:26.123456789Z</time>
      <extensions><tp:TrackPointExtension><tp:atemp>-2.5</tp:atemp><tp:hr>182</tp:hr><tp:cad>90</tp:cad>
      </tp:TrackPointExtension><o:power>200</o:power></extensions></trkpt>
      <trkpt lat="40.2" lon="-105.3"><name>Stop</name></trkpt></trkseg>
    <trkseg><trkpt lat="40.3" lon="-105.4"><time>2023-01-16T18:03:00Z</time></trkpt></trkseg></trk>
  <trk><name>Second</name><trkseg><trkpt lat="0" lon="0"/></trkseg></trk>
</gpx>
)";

const std::string kExpected =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<gpx version=\"1.1\" creator=\"kesTranscribe\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\" "
    "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n"
    "  <metadata><name>Rich &amp; full</name><desc>all fields</desc><author><name>Ann</name></author>"
    "<link href=\"http://x.example/a?b=1&amp;c=2\"><text>home</text><type>text/html</type></link>"
    "<time>2020-02-29T22:59:59.5Z</time><keywords>k1, k2</keywords></metadata>\r\n"
    "  <wpt lat=\"27.988056\" lon=\"86.925278\"><ele>8848.86</ele><time>2020-06-08T18:39:00Z</time>"
    "<name>Чомолунгма, 珠穆朗玛峰</name><cmt>a comment,\n two lines</cmt><desc>the desc</desc><src>survey</src>"
    "<link href=\"http://peak.example\"></link><sym>Summit</sym><type>peak</type><fix>3d</fix><sat>7</sat>"
    "<hdop>1.2</hdop><vdop>2.5</vdop><pdop>3</pdop></wpt>\r\n"
    "  <wpt lat=\"-16.5\" lon=\"-180\"><name>Date line</name><sym>Flag, Blue</sym></wpt>\r\n"
    "  <rte><name>A route with a very long name indeed</name><desc>r</desc><number>4</number>\r\n"
    "    <rtept lat=\"1\" lon=\"2\"><ele>-12.5</ele><time>2001-01-01T00:00:00.001Z</time><name>R1</name>"
    "<sym>Dot</sym></rtept>\r\n"
    "    <rtept lat=\"1.5\" lon=\"2.5\"><name>R2</name></rtept>\r\n"
    "  </rte>\r\n"
    "  <trk><name>Ride</name><cmt>tc</cmt><type>cycling</type>\r\n"
    "    <trkseg>\r\n"
    "      <trkpt lat=\"40.1\" lon=\"-105.2\"><ele>1531.4</ele><time>2023-01-16T18:02:26.123456789Z</time>"
    "<extensions><gpxtpx:TrackPointExtension><gpxtpx:atemp>-2.5</gpxtpx:atemp><gpxtpx:hr>182</gpxtpx:hr>"
    "<gpxtpx:cad>90</gpxtpx:cad></gpxtpx:TrackPointExtension><o:power xmlns:o=\"urn:other\">200</o:power>"
    "</extensions></trkpt>\r\n"
    "      <trkpt lat=\"40.2\" lon=\"-105.3\"><name>Stop</name></trkpt>\r\n"
    "    </trkseg>\r\n"
    "    <trkseg>\r\n"
    "      <trkpt lat=\"40.3\" lon=\"-105.4\"><time>2023-01-16T18:03:00Z</time></trkpt>\r\n"
    "    </trkseg>\r\n"
    "  </trk>\r\n"
    "  <trk><name>Second</name>\r\n"
    "    <trkseg>\r\n"
    "      <trkpt lat=\"0\" lon=\"0\"></trkpt>\r\n"
    "    </trkseg>\r\n"
    "  </trk>\r\n"
    "</gpx>\r\n";
}  // namespace

TEST(GpxToGpx, EveryFieldOfARichFileComesBack)
{
    TempDir dir;
    WriteText(dir.Path("rich.gpx"), kRich);
    // Either GPX input row: the output that takes everything reads all of it.
    for (const Input input : {Input::GpxWaypoints, Input::GpxTracks}) {
        RecordingFrontEnd f;
        f.inputText = dir.Path("rich.gpx");
        f.inputPosition = Position(input);
        f.outputText = dir.Path("out.gpx");
        f.outputPosition = Position(Output::Gpx);
        f.clock = Clock::Fixed(45000.5, 45000.5);
        Convert(f);
        EXPECT_TRUE(f.messages.empty());
        ASSERT_GE(f.lines.size(), 3u);
        EXPECT_EQ(f.lines[f.lines.size() - 3], "Written: 2 waypoints, 1 route, 4 track points in 2 tracks");
        EXPECT_EQ(ReadText(dir.Path("out.gpx")), kExpected);
        if (GpxSchemaPresent()) {
            EXPECT_EQ(GpxSchemaErrors(dir.Path("out.gpx")), "");
        }
    }
}
