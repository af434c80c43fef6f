// SPDX-License-Identifier: GPL-3.0-or-later
// What the native readers keep beside the native fields: texts in UTF-8,
// elevations in metres, times at the files' precision, none where a line has none.
#include <gtest/gtest.h>

#include "core/clock.h"
#include "formats/native/Kes.h"
#include "tests/support/held_detail.h"
#include "tests/support/test_files.h"

TEST(NativeDetail, LinesKeepTheirTextsMetresTimesAndSymbols)
{
    TempDir dir;
    PinClock(46000.25, 46000.25);
    WriteText(dir.Path("in.wpt"), "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n"
                                  "1,Caf\xE9,51.5,-0.1,36000.5,0,0,3,0,65535,By the \xD1 tower,0,0,0,100\r\n"
                                  "2,Grave,1,2,33605,11\r\n3,Home,52.1,4.3\r\n");
    ReadWaypointFile(dir.Path("in.wpt"));
    ASSERT_EQ(WaypointCount, 3);
    EXPECT_EQ(WaypointList[1].Name, "Caf\xE9");  // the native field as before
    const std::string waypoints[] = {"Caf\xC3\xA9||By the \xC3\x91 tower|Airport|30.480|1998-07-24T12:00:00Z",
                                     "Grave|||Cemetery||", "Home|||||"};
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(Held(WaypointList[i].Detail), waypoints[i - 1]);

    WriteText(dir.Path("in.plt"), "Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\n"
                                  "Reserved 3\r\n0,2,255,R\xFC"
                                  "ckweg,1,0,0,255\r\n0\r\n51.5,-0.1,1,100,36000.5000029\r\n"
                                  "1,2,0,-777,0, 241298, 235960\r\n1,2\r\n1,2,0,-777,0, 0101\r\n");
    ReadTrackFile(dir.Path("in.plt"));
    EXPECT_EQ(TrackProps.Detail.name, "R\xC3\xBC"
                                      "ckweg");
    ASSERT_EQ(TrackProps.PointCount, 4);
    // The last two take the time of reading in the native field, and have none.
    const std::string points[] = {"||||30.480|1998-07-24T12:00:00.25Z", "|||||1998-12-25T00:00:00Z", "|||||", "|||||"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Held(TrackPointList[i]), points[i]);
    UnpinClock();
}
