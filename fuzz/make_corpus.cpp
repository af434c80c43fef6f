// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpus: a few small valid inputs per fuzz target, so that
// fuzzing starts from files the readers accept rather than from nothing.
// Usage: fuzz_make_corpus FOLDER (normally fuzz/corpus).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/byte_builder.h"
#include "tests/support/packed_files.h"

namespace fs = std::filesystem;

namespace {
fs::path root;

void Save(const std::string& target, const std::string& name, const std::string& content)
{
    fs::create_directories(root / target);
    std::ofstream out(root / target / name, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void SaveBoth(const std::string& a, const std::string& b, const std::string& name, const std::string& content)
{
    Save(a, name, content);
    Save(b, name, content);
}

void KesFiles()
{
    const std::string header = "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n";
    Save("kes-wpt", "two.wpt",
         header + "   1,WP1,  51.500000,  -0.100000,33605.0000000,  0, 0, 3,         0,     65535,, 0, 0,    0,   "
                  "-777, 8, 0,17,0,10.0,2,,,\r\n"
                  "   2,Summit,  47.608000,-122.335000,38045.5000000, 60, 0, 3,         0,     65535,Top of hill, 0, "
                  "0,    0,   1200, 8, 0,17,0,10.0,2,a\xD1"
                  "b,c,d\r\n");
    Save("kes-wpt", "short-columns.wpt",
         "x\nOSGB 36\n\n\n1,A,1,2\n2,B\n3\x1A"
         "4,ignored\n");
    Save("kes-wpt", "header-only.wpt", header);

    const std::string trackHeader = "Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in "
                                    "Feet\r\nReserved 3\r\n0,2,255,Track A,1,0,0,255\r\n0\r\n";
    Save("kes-plt", "two.plt",
         trackHeader + "  47.608000,-122.335000,1,   -777,38045.5000000, 01-Mar-04, 12:00:00\r\n"
                       "  47.609000,-122.336000,0,    120,38045.5006944, 01-Mar-04, 12:01:00\r\n");
    Save("kes-plt", "date-text.plt", trackHeader + "47.0,8.0,0,-777,0, 01-Mar-04, 12:00:00\r\n47.1,8.1,1\r\n,\r\n");
    Save("kes-plt", "header-only.plt", trackHeader);
}

ByteBuilder HoluxWaypointImage()
{
    ByteBuilder b;
    b.fill(32768, 0);
    b.put<std::uint32_t>(0, 0x5C38A600).put<std::uint16_t>(4, 3).put<std::uint16_t>(6, 3);
    for (int s = 0; s < 500; ++s) b.put<std::int16_t>(8 + 2 * s, -1);
    const std::int16_t slots[3][2] = {{0, 0}, {1, 1}, {7, 2}};
    for (const auto& slot : slots) {
        b.put<std::int16_t>(8 + 2 * slot[0], slot[1]);
        b.put<std::uint8_t>(1008 + slot[1], 0xFF);
        const std::size_t r = 1508 + 40 * static_cast<std::size_t>(slot[1]);
        const std::string name = "WPT" + std::to_string(slot[0]) + "    ";
        for (std::size_t k = 0; k < 8; ++k) b.put<char>(r + k, name[k]);
        for (std::size_t k = 0; k < 12; ++k) b.put<char>(r + 8 + k, "comment     "[k]);
        b.put<std::int32_t>(r + 20, 450000 + slot[0]).put<std::int32_t>(r + 24, -360000 - slot[0]);
        b.put<std::uint8_t>(r + 28, 1).put<std::uint8_t>(r + 29, 3).put<std::uint16_t>(r + 30, 2004);
        b.put<std::uint32_t>(r + 32, 43200).put<std::uint8_t>(r + 38, 1);
    }
    b.put<std::uint32_t>(21508, 0xD87F5900).put<std::uint16_t>(21508 + 68, 0xFFFF);
    for (int s = 0; s < 20; ++s) b.put<std::int16_t>(21508 + 8 + 2 * s, -1);
    b.put<std::int16_t>(21508 + 8, 0).put<std::uint8_t>(21508 + 48, 0xFF);
    const std::size_t route = 21580;
    for (std::size_t k = 0; k < 8; ++k) b.put<char>(route + k, "ROUTE1  "[k]);
    b.put<std::int16_t>(route + 20, 3);
    const std::int16_t refs[30] = {0,  -1, 7,  1,  5,  -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                   -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    for (std::size_t k = 0; k < 30; ++k) b.put<std::int16_t>(route + 22 + 2 * k, refs[k]);
    return b;
}

void HoluxFiles()
{
    const ByteBuilder wrt = HoluxWaypointImage();
    Save("holux-wrt", "three.wrt", wrt.str());
    Save("holux-wrt", "cut.wrt", wrt.str().substr(0, 1600));

    ByteBuilder tlg;
    tlg.fill(133120, 0xFF);
    auto slot = [&](int t, int points) {
        const std::size_t base =
            t < 3 ? 20000 * static_cast<std::size_t>(t) : 65536 + 20000 * static_cast<std::size_t>(t - 3);
        for (std::size_t k = 0; k < 20000; ++k) tlg.put<std::uint8_t>(base + k, 0);
        for (int i = 0; i < points; ++i)
            tlg.put<std::int32_t>(base + 8 * i, 450000 + 36 * i).put<std::int32_t>(base + 8 * i + 4, -360000 - 36 * i);
        const std::size_t record = 131088 + 44 * static_cast<std::size_t>(t);
        tlg.put<std::int16_t>(record, static_cast<std::int16_t>(points))
            .put<std::int16_t>(record + 2, static_cast<std::int16_t>(points));
        for (std::size_t k = 0; k < 12; ++k) tlg.put<char>(record + 4 + k, k < 6 ? "TRACK1"[k] : '\0');
        for (std::size_t k = 0; k < 13; ++k) tlg.put<char>(record + 16 + k, k < 4 ? "desc"[k] : '\0');
        tlg.put<std::int32_t>(record + 32, -1).put<std::int32_t>(record + 36, -1).put<std::int32_t>(record + 40, 0);
    };
    for (std::size_t k = 131072; k < 131308; ++k) tlg.put<std::uint8_t>(k, 0);
    tlg.put<std::uint32_t>(131072, 0x38CB1200).put<std::uint16_t>(131078, 2);
    slot(0, 3);
    slot(3, 2);
    Save("holux-tlg", "two-slots.tlg", tlg.str());
    Save("holux-tlg", "cut.tlg", tlg.str().substr(0, 8000));
}

void MapsendFiles()
{
    auto header = [](char version, std::int32_t kind) {
        ByteBuilder b;
        b.u8(12).fixed("MapSend File", 12).u8(static_cast<std::uint8_t>(version)).i32(kind);
        return b;
    };
    auto counted = [](ByteBuilder& b, const std::string& s) { b.u8(static_cast<std::uint8_t>(s.size())).text(s); };

    ByteBuilder w = header('4', 1);
    w.i32(2);
    counted(w, "HOME");
    counted(w, "front door");
    w.fill(4, 0).u8(7).u8(0).f64(120.0).f64(-122.335).f64(-47.608);
    counted(w, "");
    counted(w, "");
    w.fill(4, 0).u8(0).u8(0).f64(0).f64(8.5).f64(-47.0);
    Save("mapsend-wpt", "two.wpt", w.str());
    Save("mapsend-wpt", "track-kind.wpt", header('4', 2).i32(0).str());

    for (const char version : {'0', '4', '5'}) {
        ByteBuilder t = header(version, 2);
        counted(t, "Morning walk");
        t.i32(3);
        for (int i = 0; i < 3; ++i) {
            t.f64(-122.335 + i * 0.001).f64(-47.608 - i * 0.001);
            if (version == '5') t.f32(12.5f);
            else t.i32(205);  // whole metres before version 4
            t.u32(1078142400u + 60u * i).i32(i == 1 ? 0 : 1);
            if (version != '0') t.u8(0);
        }
        Save("mapsend-trk", std::string("three-v") + version + ".trk", t.str());
    }
    Save("mapsend-trk", "waypoint-kind.trk", header('4', 1).i32(0).str());
}

void TextFiles()
{
    const std::string nobletec =
        "Type = Mark\r\nName = A\r\nDesc = Harbour entrance\r\nLatLon = 47 36.512 N 122 20.113 W\r\n"
        "Type = Mark\r\nDesc = {{\r\nLatLon = 48 1,5 S 123 2,25 E\r\n"
        "Type = Track\r\nNumberOfTrackMarks = 3\r\nTrackMarks = {\r\n"
        "47 36.512 N 122 20.113 W\r\n47 36.600 N 122 20.200 W\r\n47\t36.700\tN\t122\t20.300\tW\r\n}\r\n"
        "Type = Track\r\nNumberOfTrackMarks = 1\r\n{\r\n10 0 N 20 0 E\r\n";
    SaveBoth("nobletec-wpt", "nobletec-trk", "marks-and-tracks.txt", nobletec);
    SaveBoth("nobletec-wpt", "nobletec-trk", "cut.txt",
             "Type = Mark\nDesc = x\nType = Track\nNumberOfTrackMarks = 9\n{\n1 2 N\n");

    Save("nmea", "fixes.nmea",
         "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
         "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
         "$GPGGA,123520,4807.040,N,01131.010,E,1,08,0.9,1790,F,46.9,M,,*69\r\n"
         "$GPRMC,123520.500,V,4807.040,S,01131.010,W,022.4,084.4,230394,003.1,W*6D\r\n"
         "$GPRMC,000001,A,4807.040,N,01131.010,E,,,240394,,*18\r\n"
         "$GPGSV,3,1,11*7B\r\n");
    Save("nmea", "no-date.nmea", "$GPRMC,235959,A,,,,,,,,\n$GPRMC\n$GPRMC,,,1,N,2,E,,,999999\x1A$GPRMC,1\n");
    Save("nmea", "talkers.nmea",
         "$GNGGA,235959.5,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*4E\r\n"
         "$GNGSA,A,2,,,,,,,,,,,,,1.9,0.9,1.6,1*36\r\n"
         "$GNRMC,000000,A,4807.038,N,01131.000,E,,,240394,,*09\r\n"
         "$GNGGA,000000,4807.038,N,01131.000,E,2,08,0.9,545.4,M,46.9,M,,*57\r\n"
         "$BDGGA,000001,,,,,0,00,,,M,,M,,*76\r\n");

    Save("nmea-wpt", "waypoints.nmea",
         "$GPWPL,3558.322,N,08708.082,W,GCEBB*1D\r\n$GPWPL,3605.441,N,08640.773,W,GC1A37*21\r\n"
         "$GPWPL,3559.776,N,,W,NO "
         "LAT\r\n$GNWPL,,,,,\r\n$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,*6A\r\n");

    Save("magellan-wpt", "waypoints.log",
         "$PMGNWPL,4807.038,N,01131.000,E,545,M,HOME,Front door,a*3C\r\n"
         "$PMGNWPL,3351.000,S,15112.500,W,1200,F,SYD,,xy*3C\r\n"
         "$PMGNWPL,,,,,,,,,\r\n"
         "$PMGNTRK,4231.829,N,08807.303,W,00210,M,032908.38,A,,070898*64\r\n");
    Save("magellan-trk", "track.log",
         "$PMGNTRK,4231.829,N,08807.303,W,00210,M,032908.38,A,,070898*64\r\n"
         "$PMGNTRK,4231.829,N,08807.304,W,00210,F,032910.38,A,,070800*6B\r\n"
         "$PMGNTRK,4231.900,S,08807.400,E,,M,032911.00,A,,*6B\r\n"
         "$PMGNTRK,4231.900,S,08807.400,E,,M,,A,,070800*6B\r\n"
         "$PMGNWPL,4807.038,N,01131.000,E,545,M,HOME,Front door,a*3C\r\n");
}

void TomTomFile()
{
    ByteBuilder b;
    b.u8(1).fill(20, 0);
    b.u8(2).i32(31).i32(-12233500).i32(4760800).zeroText("Cafe, Main St. 12");
    b.u8(0).i32(19).i32(1310000).i32(4810000).zeroText("Gone!");
    b.u8(3).i32(32).i32(1310000).i32(4810000).zeroText("-Ok\x01\xE9").zeroText("id-7").zeroText("+41 555");
    b.u8(7).i32(9).u32(0xFFFFFFFF);
    b.u8(2).i32(17).i32(0).i32(0).zeroText("End");
    Save("tomtom-ov2", "extended.ov2", b.str());
    Save("tomtom-ov2", "cut.ov2", b.str().substr(0, 30));
}

// The header and product records shared by both MapSource files.
ByteBuilder MapsourceStart(char kind, std::uint16_t version, bool fourthText)
{
    ByteBuilder b;
    b.text("MsRc").u8(static_cast<std::uint8_t>(kind)).u8(0);
    b.i32(2).u8('D').u16(version);
    b.i32(27).u8('A').u16(302).zeroText("SQA").zeroText("Oct 20 1999").zeroText("12:50:33");
    if (fourthText) b.zeroText("MapSource");
    return b;
}

void Record(ByteBuilder& file, char type, const ByteBuilder& body)
{
    file.i32(static_cast<std::int32_t>(body.size())).u8(static_cast<std::uint8_t>(type)).text(body.str());
}

void MpsFiles()
{
    ByteBuilder w;
    w.zeroText("Camp 1").fill(27, 0).i32(567999999).i32(-1459000000).u8(1).f64(412.3).zeroText("by the lake, north");
    w.fill(17, 0).i32(38).fill(20, 0);
    ByteBuilder w2;
    w2.zeroText("#2").fill(27, 0).i32(0).i32(0).u8(0).f64(0).zeroText("").fill(17, 0).i32(9999).fill(20, 0);
    ByteBuilder t;
    t.zeroText("Ride").u8(0).i32(0).i32(2);
    for (int i = 0; i < 2; ++i)
        t.i32(567999999 + i).i32(-1459000000 - i).u8(1).f64(100.0 + i).u8(1).u32(1078142400u + i).u8(0).f64(0);
    ByteBuilder r;
    r.zeroText("Route").fill(30, 0);

    for (const std::uint16_t version : {104, 106, 100}) {
        ByteBuilder file = MapsourceStart('d', version, false);
        Record(file, 'W', w);
        Record(file, 'R', r);
        Record(file, 'T', t);
        Record(file, 'W', w2);
        Record(file, 'T', t);
        Record(file, 'V', ByteBuilder().u8(1));
        Record(file, 'M', ByteBuilder());
        SaveBoth("mapsource-wpt", "mapsource-trk", "mixed-v" + std::to_string(version) + ".mps", file.str());
    }
}

void GdbFiles()
{
    auto position = [](ByteBuilder& b, std::int32_t lat, std::int32_t lon, bool altitude) {
        b.i32(lat).i32(lon).u8(altitude ? 1 : 0);
        if (altitude) b.f64(250.0);
    };
    const ByteBuilder gap = ByteBuilder().fill(4, 0).u8(0).fill(4, 0).fill(12, 0xff).fill(2, 0).fill(4, 0xff);

    ByteBuilder t;
    t.zeroText("Evening run").u8(0).i32(0).u32(3);
    for (int i = 0; i < 3; ++i) {
        t.i32(567999999 + i).i32(-1459000000 - i);
        t.u8(i != 1 ? 1 : 0);
        if (i != 1) t.f64(100.0 + i);
        t.u8(i != 2 ? 1 : 0);
        if (i != 2) t.u32(1078142400u + i);
        t.u8(1).f64(5.0).u8(0);
    }

    for (const std::uint16_t version : {107, 108, 109}) {
        const bool utf8 = version >= 109;
        // The list of texts version 109 holds where older versions have one text.
        auto texts = [&](ByteBuilder& b, std::uint32_t count) {
            if (!utf8) b.zeroText("");
            else {
                b.u32(count);
                for (std::uint32_t k = 0; k < count; ++k) b.zeroText("t" + std::to_string(k));
            }
        };
        ByteBuilder w;
        w.zeroText("Summit 3").text(gap.str()).i32(567999999).i32(-1459000000).u8(1).f64(412.3);
        w.zeroText(utf8 ? "cairn, top \xC3\xA9\xE2\x86\x92" : "cairn, top")
            .u8(1)
            .f64(2.5)
            .i32(4)
            .i32(0)
            .i32(106)
            .i32(0);
        w.u8(1).f64(90.0).fill(2, 0).i32(0).zeroText("");
        texts(w, 2);
        w.fill(2, 0).u8(1).f64(0).u8(1).u32(1078142400u);
        if (utf8) w.fill(6, 0);
        ByteBuilder w2;
        w2.zeroText("Bare").text(gap.str()).i32(100).i32(200).u8(0).zeroText("").u8(0).i32(0).i32(0).i32(777).i32(0);
        w2.u8(1).f64(12.0).fill(2, 0).i32(0).zeroText("");
        texts(w2, 0);
        w2.fill(2, 0).u8(0).u8(0);
        if (utf8) w2.fill(6, 0);
        // A facility waypoint: texts after the symbol code, the time in the last five bytes.
        ByteBuilder w3;
        w3.zeroText("ED_X").fill(4, 0).zeroText("ED").fill(4, 0).fill(12, 0xff).fill(2, 0).fill(4, 0xff);
        w3.i32(618999999).i32(154000000).u8(0).zeroText("Dummy airport").u8(0).i32(1).i32(0).i32(107);
        w3.zeroText("CITY1").zeroText("").zeroText("FAC1").fill(13, 0).u8(1).u32(1143509887u);

        ByteBuilder r;
        r.zeroText(utf8 ? "To the top \xC3\xBC" : "To the top").fill(2, 0);
        position(r, 1, 2, true);
        position(r, 3, 4, false);
        r.u32(3);
        for (int k = 0; k < 3; ++k) {
            const bool last = k == 2;
            r.zeroText(k == 0 ? "Summit 3" : k == 1 ? "ED_X" : "Bare").text(gap.str()).fill(19, 0).u32(last ? 0 : 2);
            if (!last) {
                position(r, 567999999, -1459000000, true);
                position(r, 567999000, -1459000100, false);
            }
            r.u8(last ? 1 : 0);  // the leg's bounds follow a 0
            if (!last) {
                position(r, 5, 6, false);
                position(r, 7, 8, true);
            }
            if (version >= 108) r.fill(8, 0xff);
            if (utf8) r.fill(2, 0);
        }
        r.u8(0);
        ByteBuilder file = MapsourceStart('f', version, true);
        Record(file, 'W', w);
        Record(file, 'W', w2);
        if (version >= 108) Record(file, 'W', w3);
        Record(file, 'R', r);
        Record(file, 'T', t);
        Record(file, 'L', ByteBuilder().fill(8, 0));
        Record(file, 'M', ByteBuilder());
        Record(file, 'T', t);
        SaveBoth("mapsource-wpt", "mapsource-trk", "mixed-v" + std::to_string(version) + ".gdb", file.str());
    }
    SaveBoth("mapsource-wpt", "mapsource-trk", "old.gdb", MapsourceStart('f', 106, true).str());
}

void GpxFiles()
{
    const std::string body =
        "<metadata><time>2013-03-09T20:47:02Z</time></metadata>\n"
        "<wpt lat=\"39.97386971488595\" lon=\"-105.46585036441684\"><ele>2515.5</ele>"
        "<time>2013-03-09T20:45:12.5-07:00</time><name>Hwy &amp; 119</name><cmt>c</cmt><desc>d</desc><sym>Summit</sym>"
        "<extensions><name>x</name><o:wpt xmlns:o=\"urn:o\" lat=\"1\" lon=\"1\"/></extensions></wpt>\n"
        "<wpt lat=\"91\" lon=\"NaN\"/>\n"
        "<rte><name>Out</name><rtept lat=\"40\" lon=\"-105.5\"><name>P1</name></rtept><rtept lat=\"40.1\" "
        "lon=\"-105.6\"/></rte>\n"
        "<trk><name>Ride</name><desc>evening</desc><trkseg><trkpt lat=\"40.18894976936280727\" lon=\"-105.17836\">"
        "<ele>1531.4</ele><time>2023-01-16T18:02:26.000Z</time></trkpt><trkpt lat=\"40.19\" lon=\"-105.18\"/></trkseg>"
        "<trkseg><trkpt lat=\"40.2\" lon=\"-105.2\"/></trkseg></trk>\n<trk/>\n";
    const std::string root11 = "<gpx version=\"1.1\" creator=\"seed\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    const std::string mixed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + root11 + body + "</gpx>\n";
    SaveBoth("gpx-wpt", "gpx-trk", "mixed.gpx", mixed);
    SaveBoth("gpx-wpt", "gpx-trk", "cut.gpx", mixed.substr(0, mixed.size() / 2));
    SaveBoth("gpx-wpt", "gpx-trk", "gpx10.gpx",
             "<?xml version=\"1.0\"?><gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">"
             "<wpt lat=\"1\" lon=\"2\"><name>A</name><g:name xmlns:g=\"urn:g\">B</g:name></wpt>"
             "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"><speed>3</speed></trkpt></trkseg></trk></gpx>");
    SaveBoth("gpx-wpt", "gpx-trk", "cp1252.gpx",
             "<?xml version=\"1.0\" encoding=\"windows-1252\"?><gpx><wpt lat=\"1\" lon=\"2\"><name>Qu\xE9\x80</name>"
             "</wpt><trk><name>\x80</name><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk></gpx>");
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?><gpx><wpt lat=\"1\" lon=\"2\"/>"
                                    "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk></gpx>"))
        utf16 += std::string{c, '\0'};
    SaveBoth("gpx-wpt", "gpx-trk", "utf16.gpx", utf16);
    SaveBoth("gpx-wpt", "gpx-trk", "entities.gpx",
             "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
             "<gpx><wpt lat=\"1\" lon=\"2\"><name>&b;</name></wpt></gpx>");
}
}  // namespace

// Packed inputs: gzip streams of one member and of two, zip archives of one
// file (deflated and stored), of two, a KMZ, and an archive packed in gzip.
void PackedFiles()
{
    const std::string log = "$GPRMC,120000,A,4807.038,N,01131.000,E,,,230394,,*0C\r\n"
                            "$GPWPL,4807.038,N,01131.000,E,HOME*3A\r\n";
    const std::string kml = "<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Placemark><name>A</name>"
                            "<Point><coordinates>8.5,47.3,400</coordinates></Point></Placemark></kml>";
    Save("packed", "log.gz", Gzip(log));
    Save("packed", "two-members.gz", Gzip(log) + Gzip(log));
    const fs::path scratch = root / "packed.zip";
    const auto zip = [&](const std::string& name, const Members& members, bool stored = false) {
        WriteZip(scratch.string(), members, stored);
        std::ifstream in(scratch, std::ios::binary);
        Save("packed", name, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    };
    zip("one.zip", {{"log.nmea", log}});
    zip("stored.zip", {{"log.nmea", log}}, true);
    zip("two.zip", {{"a/log.nmea", log}, {"b.nmea", log}});
    zip("map.kmz", {{"doc.kml", kml}, {"files/icon.png", "PNG"}});
    WriteZip(scratch.string(), {{"log.nmea", log}});
    std::ifstream in(scratch, std::ios::binary);
    Save("packed", "zip-in-gzip.gz",
         Gzip(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())));
    fs::remove(scratch);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_corpus FOLDER\n");
        return 2;
    }
    root = argv[1];
    KesFiles();
    HoluxFiles();
    MapsendFiles();
    TextFiles();
    TomTomFile();
    MpsFiles();
    GdbFiles();
    GpxFiles();
    PackedFiles();
    return 0;
}
