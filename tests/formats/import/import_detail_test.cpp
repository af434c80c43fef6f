// SPDX-License-Identifier: GPL-3.0-or-later
// What the MapSend, Nobletec and TomTom readers keep beside the native
// fields: texts whole in UTF-8, elevations and times as the files hold them,
// symbol names, and nothing the files do not hold.
#include <gtest/gtest.h>

#include "formats/import/Mapsend.h"
#include "formats/import/Nobletec.h"
#include "formats/import/tomtom.h"
#include "tests/support/byte_builder.h"
#include "tests/support/held_detail.h"
#include "tests/support/test_files.h"

namespace {
std::string File(const TempDir& dir, const std::string& bytes)
{
    WriteText(dir.Path("in"), bytes);
    return dir.Path("in");
}

ByteBuilder& Counted(ByteBuilder& b, const std::string& text)
{
    return b.u8(static_cast<std::uint8_t>(text.size())).text(text);
}
}  // namespace

TEST(ImportDetail, MapsendKeepsTextsSymbolsMetresAndTrackTimes)
{
    TempDir dir;
    ByteBuilder w;
    Counted(w, "MapSend file").u8('4').i32(1).i32(2);
    Counted(Counted(w, "Caf\xE9, Pier"), "north,\x96it").u32(0).u8(0).u8(0).f64(8848.86).f64(7.25).f64(-46.5);
    Counted(Counted(w, "Grave"), "").u32(0).u8(11).u8(0).f64(-3.5).f64(7).f64(-46);
    ReadMapsendWaypointFile(File(dir, w.str()));
    ASSERT_EQ(WaypointCount, 2);  // no time: the native field takes the time of reading
    EXPECT_EQ(Held(WaypointList[1].Detail), "Caf\xC3\xA9, Pier|north,\xE2\x80\x93it||Airport|8848.860|");
    EXPECT_EQ(Held(WaypointList[2].Detail), "Grave|||Cemetery|-3.500|");

    ByteBuilder t;
    Counted(Counted(t, "MapSend file").u8('5').i32(2), "H\xF6henweg").i32(1);
    t.f64(8).f64(-47).f32(209.8f).u32(1591641540).i32(1).u8(0);
    ReadMapsendTrackFile(File(dir, t.str()));
    EXPECT_EQ(TrackProps.Detail.name, "H\xC3\xB6henweg");
    EXPECT_EQ(TrackPointList[0].Values.metres, 209.8);  // the decimal the float was written from
    EXPECT_EQ(Held(TrackPointList[0]), "||||209.800|2020-06-08T18:39:00Z");
}

TEST(ImportDetail, NobletecMarksKeepTheirOwnTextsAndBorrowNone)
{
    TempDir dir;
    const std::string longText(300, 'd');
    ReadNobletecWaypoints(
        File(dir, "Type = Mark\r\nName = Gr\xFCne Boje\r\nDesc = Harbour entrance buoy\r\nLatLon = 1 0 N 2 0 E\r\n"
                  "Type = Mark\r\nLatLon = 1 0 N 2 0 E\r\nType = Mark\r\nDesc = " +
                      longText + "\r\nLatLon = 1 0 N 2 0 E\r\n"));
    ASSERT_EQ(WaypointCount, 3);
    EXPECT_EQ(WaypointList[2].Name, "Harbour en");  // the native fields as before
    EXPECT_EQ(Held(WaypointList[1].Detail), "Gr\xC3\xBCne Boje||Harbour entrance buoy|||");
    EXPECT_EQ(Held(WaypointList[2].Detail), "|||||");
    EXPECT_EQ(Held(WaypointList[3].Detail), longText + "||" + longText + "|||");

    ReadNobletecTracks(File(dir, "NumberOfTrackMarks = 1\r\nTrackMarks:\r\n1 0 N 2 0 E\r\n"));
    EXPECT_TRUE(TrackProps.Detail.known && TrackProps.Detail.name.empty());  // the native name is today's date
    EXPECT_EQ(Held(TrackPointList[0]), "|||||");
}

TEST(ImportDetail, TomTomTextsAreWholeInUtf8WhereTheyAreUtf8AndWindows1252Otherwise)
{
    TempDir dir;
    ByteBuilder b;
    for (const std::string text : {"Fr\xE8res, Bogis", "Test_\xC4\x80_Point"})
        b.u8(2).i32(static_cast<std::int32_t>(14 + text.size())).i32(489123).i32(5237403).zeroText(text);
    ReadTomTomFile(File(dir, b.str()), "");
    ASSERT_EQ(WaypointCount, 2);
    EXPECT_EQ(WaypointList[1].Name, "FrresBogis");  // the native field as before
    EXPECT_EQ(Held(WaypointList[1].Detail), "Fr\xC3\xA8res, Bogis||Fr\xC3\xA8res, Bogis|||");
    EXPECT_EQ(Held(WaypointList[2].Detail), "Test_\xC4\x80_Point||Test_\xC4\x80_Point|||");
}
