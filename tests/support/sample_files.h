// SPDX-License-Identifier: GPL-3.0-or-later
// One small file of each input format, built in the test, for the tests that
// run whole conversions of every format.
#pragma once

#include <cstdint>
#include <string>

#include "tests/support/byte_builder.h"
#include "tests/support/mapsource_files.h"

namespace samples {

inline std::string KesWaypoints(int count = 2, const std::string& datum = "WGS 84")
{
    std::string s = "Kestrelmaps Waypoint File Version 1.1\r\n" + datum + "\r\nReserved 2\r\n\r\n";
    for (int i = 1; i <= count; ++i) s += std::to_string(i) + ",WP" + std::to_string(i) + ",52.1,4.3\r\n";
    return s;
}

inline std::string KesTrack(const std::string& name = "Walk")
{
    return "Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n0,2,255," +
           name + ",1,0,0,255\r\n0\r\n52.1,4.3,1,-777,40000.5\r\n52.2,4.4,0,-777,40000.6\r\n";
}

inline ByteBuilder MapsendHeader(std::int32_t kind)
{
    ByteBuilder b;
    b.u8(13).text("4D533334 MS34").i32(kind);
    return b;
}

inline std::string MapsendWaypoints()
{
    ByteBuilder b = MapsendHeader(1);
    b.i32(1).u8(4).text("Camp").u8(0).u32(0).u8(3).u8(0).f64(120).f64(-0.1).f64(-51.5);
    return b.str();
}

// A version "4" track: 29-byte point records with whole metres, the second one invalid.
inline std::string MapsendTrack()
{
    ByteBuilder b;
    b.u8(12).fixed("MapSend file", 12).u8('4').i32(2);
    b.u8(4).text("Walk").i32(3);
    b.f64(-0.1).f64(-51.5).i32(30).u32(901281600).i32(1).u8(0);  // 1998-07-24 12:00
    b.f64(9).f64(9).i32(0).u32(0).i32(0).u8(0);
    b.f64(-0.2).f64(-51.25).i32(-777).u32(901281660).i32(1).u8(0);
    return b.str();
}

// A mark and a track of two points, read as waypoints or as tracks.
inline std::string Nobletec()
{
    return "Type = Mark\r\nDesc = Harbour\r\nLatLon = 47 36.512 N 122 20.113 W\r\n"
           "NumberOfTrackMarks = 2\r\nskipped\r\n47 36.000 N 122 30.000 W\r\n47 37.000 N 122 31.000 W\r\n";
}

// Two fixes of positions and times alone, which every track format holds.
inline std::string Nmea()
{
    return "$GPRMC,123519,A,4807.038,N,01131.000,E,,,230394,,*1D\r\n"
           "$GPRMC,123520,A,4807.138,N,01131.100,E,,,230394,,*17\r\n";
}

inline const char* const kMagellanWaypoint = "$PMGNWPL,4807.038,N,01131.000,E,0000610,M,Home,Front door,a*5E\r\n";
inline const char* const kMagellanTrack = "$PMGNTRK,4807.038,N,01131.000,E,00610,M,123519.00,A,,230394*6A\r\n";

// MapSource header of version 102: recognised, then rejected as obsolete.
inline std::string ObsoleteMapsource()
{
    return ByteBuilder().text("MsRcd").u8(0).i32(3).u8('D').u16(102).fill(7, 0).str();
}

inline std::string MapsourceWaypoints()
{
    ByteBuilder f = mapsource_files::MpsHeader(105);
    mapsource_files::MpsWaypoint(f, "Summit", 46.5, 7.25);
    return f.str();
}

inline std::string MapsourceTracks(int tracks = 2, int points = 3)
{
    ByteBuilder f = mapsource_files::GdbHeader(108);
    for (int t = 1; t <= tracks; ++t) mapsource_files::GdbTrack(f, "Track" + std::to_string(t), points);
    return f.str();
}

inline std::string Ov2()
{
    ByteBuilder b;
    b.u8(1).fill(20, 0);
    b.u8(2).i32(35).i32(489123).i32(5237403).zeroText("Dam Square, Amsterdam");
    b.u8(2).i32(18).i32(-15121000).i32(-3386000).zeroText("Quay");
    return b.str();
}

// A Holux waypoint image of no waypoints and no routes, whole; tests place records in it.
inline ByteBuilder EmptyWrtImage()
{
    ByteBuilder b;
    b.u8(0x00).u8(0xA6).u8(0x38).u8(0x5C).u16(0).u16(0);
    for (int s = 0; s < 500; ++s) b.i16(-1);
    b.fill(500, 0x00).fill(20000, 0x00);
    b.u8(0x00).u8(0x59).u8(0x7F).u8(0xD8).u16(0).u16(0);
    for (int s = 0; s < 20; ++s) b.i16(-1);
    b.fill(20, 0x00).u16(0xFFFF).u16(0);
    b.fill(32768 - b.size(), 0x00);
    return b;
}

inline std::string HoluxWaypointImage() { return ByteBuilder().u32(0x5C38A600).fill(32764, 0).str(); }
inline std::string HoluxTrackImage() { return ByteBuilder().fill(131072, 0xFF).u32(0x38CB1200).fill(2044, 0).str(); }

// Two waypoints, a route of two points and two tracks, the first of two segments.
inline const char* const kGpx =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
    "<wpt lat=\"52.1\" lon=\"4.3\"><ele>12.5</ele><time>2023-01-16T18:02:26Z</time><name>Home</name>"
    "<desc>Front door</desc><sym>Residence</sym></wpt>\n"
    "<wpt lat=\"-33.8568\" lon=\"151.2153\"><name>Opera</name></wpt>\n"
    "<rte><name>Walk</name><rtept lat=\"52.1\" lon=\"4.3\"><name>Start</name></rtept>"
    "<rtept lat=\"52.2\" lon=\"4.4\"><name>End</name></rtept></rte>\n"
    "<trk><name>Morning</name><trkseg><trkpt lat=\"52.1\" lon=\"4.3\"><ele>10</ele>"
    "<time>2023-01-16T07:00:00Z</time></trkpt><trkpt lat=\"52.11\" lon=\"4.31\"><time>2023-01-16T07:00:10Z</time>"
    "</trkpt></trkseg><trkseg><trkpt lat=\"52.12\" "
    "lon=\"4.32\"><time>2023-01-16T07:01:00Z</time></trkpt></trkseg></trk>\n"
    "<trk><name>Evening</name><trkseg><trkpt lat=\"52.2\" lon=\"4.4\"><time>2023-01-16T19:00:00Z</time></trkpt>"
    "</trkseg></trk>\n"
    "</gpx>\n";

}  // namespace samples
