// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/bench_inputs.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "formats/fit/FitMessages.h"

namespace bench {
namespace {
template <typename T>
void Put(std::string& out, T value)
{
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

void PutText(std::string& out, const std::string& text)
{
    out += text;
    out += '\0';
}

void PutRecord(std::string& out, char type, const std::string& body)
{
    Put<std::int32_t>(out, static_cast<std::int32_t>(body.size()));
    out += type;
    out += body;
}

std::int32_t Semicircles(double degrees)
{
    return static_cast<std::int32_t>(std::lround(degrees * 2147483648.0 / 180.0));
}

std::string GdbHead(std::uint16_t version = 108)
{
    std::string f("MsRcf", 6);
    Put<std::int32_t>(f, 2);
    f += 'D';
    Put<std::uint16_t>(f, version);
    Put<std::int32_t>(f, 27);
    f += 'A';
    Put<std::uint16_t>(f, 0);
    for (const char* text : {"SQA", "date", "time", "MapSource"}) PutText(f, text);
    return f;
}

// The 27 bytes between a waypoint's name and its position, without a region text.
void PutNameGap(std::string& b)
{
    Put<std::uint32_t>(b, 0);
    Put<std::uint8_t>(b, 0);
    Put<std::uint32_t>(b, 0);
    for (int i = 0; i < 3; ++i) Put<std::uint32_t>(b, 0xffffffff);
    Put<std::uint16_t>(b, 0);
    Put<std::uint32_t>(b, 0xffffffff);
}

// A position of a route point's link: latitude, longitude, no altitude.
void PutLinkBlock(std::string& b, std::int32_t latitude, std::int32_t longitude)
{
    Put(b, latitude);
    Put(b, longitude);
    Put<std::uint8_t>(b, 0);
}

template <typename... Args>
void AppendLine(std::string& out, const std::string& lineEnd, const char* format, Args... args)
{
    char line[256];
    const int length = std::snprintf(line, sizeof line, format, args...);
    out.append(line, static_cast<std::size_t>(length));
    out += lineEnd;
}
// A sentence between "$" and "*", then its checksum: the XOR of its bytes.
template <typename... Args>
void AppendSentence(std::string& out, const std::string& lineEnd, const char* format, Args... args)
{
    char line[256];
    const int length = std::snprintf(line, sizeof line, format, args...);
    unsigned checksum = 0;
    for (int i = 1; i < length; ++i) checksum ^= static_cast<unsigned char>(line[i]);
    out.append(line, static_cast<std::size_t>(length));
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", checksum);
    out += tail;
    out += lineEnd;
}
}  // namespace

std::string NmeaLog(int fixes, bool otherSentence, const std::string& lineEnd, int firstFix)
{
    std::string log;
    log.reserve(static_cast<std::size_t>(fixes) * (otherSentence ? 180 : 150));
    for (int i = firstFix; i < firstFix + fixes; ++i) {
        const int h = i / 3600 % 24, m = i / 60 % 60, s = i % 60;
        const double minutes = 31.8291 + (i % 100000) * 1e-4;
        const int day = 1 + i / 86400 % 28;
        AppendSentence(log, lineEnd, "$GPGGA,%02d%02d%02d.379,42%07.4f,N,08807.3033,W,1,05,1.6,%.1f,M,-34.2,M,,", h, m,
                       s, minutes, 200 + (i % 500) / 10.0);
        AppendSentence(log, lineEnd, "$GPRMC,%02d%02d%02d.379,A,42%07.4f,N,08807.3033,W,0.17,138.92,%02d0804,,", h, m,
                       s, minutes, day);
        if (otherSentence) AppendSentence(log, lineEnd, "$GPVTG,138.92,T,,M,0.17,N,0.3,K");
    }
    return log;
}

namespace {
const char* const kGpxHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"bench\" "
                             "xmlns=\"http://www.topografix.com/GPX/1/1\" xmlns:ns3=\"urn:bench:extensions\">\n";
}

std::string GpxTrack(int points, GpxStyle style, int pointsPerTrack, int waypoints)
{
    std::string out = kGpxHead;
    out.reserve(static_cast<std::size_t>(points) * 160 + static_cast<std::size_t>(waypoints) * 100 + 200);
    for (int i = 0; i < waypoints; ++i)
        AppendLine(out, "\n",
                   "<wpt lat=\"%.6f\" lon=\"%.6f\"><ele>%.1f</ele><time>2023-01-15T%02d:%02d:00Z</time>"
                   "<name>WP%05d</name><sym>Flag, Blue</sym></wpt>",
                   40.1 + i * 1e-4, -105.2 + i * 1e-4, 1500.0 + i % 300, i / 60 % 24, i % 60, i);
    for (int i = 0; i < points; ++i) {
        if (i % pointsPerTrack == 0) {
            if (i > 0) out += "</trkseg></trk>\n";
            AppendLine(out, "\n", "<trk><name>Ride %d</name><trkseg>", i / pointsPerTrack + 1);
        }
        const int h = i / 3600 % 24, m = i / 60 % 60, s = i % 60;
        const double latitude = 40.188949769362807 + (i % 100000) * 1e-5;
        const double longitude = -105.17836097627878 - (i % 100000) * 1e-5;
        if (style == GpxStyle::Receiver) {
            AppendLine(
                out, "\n",
                "<trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>%.2f</ele><time>2023-01-16T%02d:%02d:%02dZ</time></trkpt>",
                latitude, longitude, 1531.4 + i % 100, h, m, s);
        } else {
            AppendLine(
                out, "\n",
                "<trkpt lat=\"%.15f\" lon=\"%.14f\">\n <ele>%.1f</ele>\n <time>2023-01-16T%02d:%02d:%02d.000Z</time>"
                "\n <extensions><ns3:hr>%d</ns3:hr></extensions>\n</trkpt>",
                latitude, longitude, 1531.4 + i % 100, h, m, s, 80 + i % 40);
        }
    }
    if (points > 0) out += "</trkseg></trk>\n";
    out += "</gpx>\n";
    return out;
}

std::string TcxActivity(int points, int pointsPerLap)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TrainingCenterDatabase "
                      "xmlns=\"http://www.garmin.com/xmlschemas/TrainingCenterDatabase/v2\" "
                      "xmlns:ns3=\"http://www.garmin.com/xmlschemas/ActivityExtension/v2\">\n"
                      "  <Activities>\n    <Activity Sport=\"Biking\">\n      <Id>2023-01-16T00:00:00.000Z</Id>\n";
    out.reserve(static_cast<std::size_t>(points) * 560 + 400);
    for (int i = 0; i < points; ++i) {
        if (i % pointsPerLap == 0) {
            if (i > 0) out += "        </Track>\n      </Lap>\n";
            out += "      <Lap StartTime=\"2023-01-16T00:00:00.000Z\">\n        "
                   "<TotalTimeSeconds>1000</TotalTimeSeconds>\n"
                   "        <Intensity>Active</Intensity>\n        <Track>\n";
        }
        const int h = i / 3600 % 24, m = i / 60 % 60, s = i % 60;
        AppendLine(out, "\n", "          <Trackpoint>\n            <Time>2023-01-16T%02d:%02d:%02d.000Z</Time>", h, m,
                   s);
        AppendLine(out, "\n",
                   "            <Position>\n              <LatitudeDegrees>%.15f</LatitudeDegrees>\n"
                   "              <LongitudeDegrees>%.14f</LongitudeDegrees>\n            </Position>",
                   40.188949769362807 + (i % 100000) * 1e-5, -105.17836097627878 - (i % 100000) * 1e-5);
        AppendLine(
            out, "\n",
            "            <AltitudeMeters>%.1f</AltitudeMeters>\n            <DistanceMeters>%.2f</DistanceMeters>",
            1531.4 + i % 100, i * 4.5);
        AppendLine(out, "\n",
                   "            <HeartRateBpm>\n              <Value>%d</Value>\n            </HeartRateBpm>\n"
                   "            <Cadence>%d</Cadence>",
                   80 + i % 40, 70 + i % 30);
        AppendLine(out, "\n",
                   "            <Extensions>\n              <ns3:TPX>\n                <ns3:Speed>%.3f</ns3:Speed>",
                   4.5 + i % 7 * 0.1);
        AppendLine(out, "\n",
                   "                <ns3:Watts>%d</ns3:Watts>\n              </ns3:TPX>\n            </Extensions>\n"
                   "          </Trackpoint>",
                   150 + i % 90);
    }
    if (points > 0) out += "        </Track>\n      </Lap>\n";
    out += "    </Activity>\n  </Activities>\n</TrainingCenterDatabase>\n";
    return out;
}

std::string KmlFile(int placemarks, int points)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
                      "xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n<Document>\n<Folder><name>Points</name>\n";
    out.reserve(static_cast<std::size_t>(placemarks) * 200 + static_cast<std::size_t>(points) * 120 + 400);
    for (int i = 0; i < placemarks; ++i)
        AppendLine(out, "\n",
                   "<Placemark><name>WP%05d</name><description>point %d</description><Point>"
                   "<coordinates>%.6f,%.6f,%.1f</coordinates></Point></Placemark>",
                   i, i, -105.2 + i * 1e-4, 40.1 + i * 1e-4, 1500.0 + i % 300);
    out += "</Folder>\n<Placemark><name>Ride</name><gx:Track>\n";
    const auto latitude = [](int i) { return 40.188949769362807 + (i % 100000) * 1e-5; };
    const auto longitude = [](int i) { return -105.17836097627878 - (i % 100000) * 1e-5; };
    for (int i = 0; i < points; ++i)
        AppendLine(out, "\n", "<when>2023-01-16T%02d:%02d:%02dZ</when>", i / 3600 % 24, i / 60 % 60, i % 60);
    for (int i = 0; i < points; ++i)
        AppendLine(out, "\n", "<gx:coord>%.15f %.15f %.1f</gx:coord>", longitude(i), latitude(i), 1531.4 + i % 100);
    out += "</gx:Track></Placemark>\n<Placemark><name>Line</name><LineString><coordinates>\n";
    for (int i = 0; i < points; ++i)
        AppendLine(out, "\n", "%.15f,%.15f,%.1f", longitude(i), latitude(i), 1531.4 + i % 100);
    out += "</coordinates></LineString></Placemark>\n</Document>\n</kml>\n";
    return out;
}

std::string MagellanTrack(int points, const std::string& lineEnd)
{
    std::string log;
    log.reserve(static_cast<std::size_t>(points) * 70);
    for (int i = 0; i < points; ++i) {
        const int h = i / 3600 % 24, m = i / 60 % 60, s = i % 60;
        AppendLine(log, lineEnd, "$PMGNTRK,42%06.3f,N,08807.%03d,W,%05d,M,%02d%02d%02d.38,A,,%02d0898*64",
                   31.0 + (i % 20000) * 1e-3, i % 1000, 200 + i % 300, h, m, s, 1 + i / 86400 % 28);
    }
    return log;
}

std::string MagellanWaypoints(int count, const std::string& lineEnd)
{
    std::string log;
    for (int i = 0; i < count; ++i)
        AppendLine(log, lineEnd, "$PMGNWPL,48%06.3f,N,011%02d.000,E,%d,M,WP%d,Waypoint number %d,a*3C",
                   7.0 + (i % 50000) * 1e-3, i % 60, 500 + i % 900, i, i);
    return log;
}

std::string KesTrack(int points, const std::string& name, const std::string& lineEnd)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(points) * 80 + 200);
    for (const char* header :
         {"Kestrelmaps Track Point File Version 2.1", "WGS 84", "Altitude is in Feet", "Reserved 3"})
        AppendLine(out, lineEnd, "%s", header);
    AppendLine(out, lineEnd, "0,2,255,%s,1,0,0,255", name.c_str());
    AppendLine(out, lineEnd, "0");
    for (int i = 0; i < points; ++i) {
        const double dateTime = 45000.5 + i / 86400.0;
        AppendLine(out, lineEnd, "%11.6f,%11.6f,%d,%7d,%13.7f, 01-Mar-23, 12:%02d:%02d", 51.0 + i * 1e-5,
                   -0.1 - i * 1e-5, i == 0 ? 1 : 0, 100 + i % 300, dateTime, i / 60 % 60, i % 60);
    }
    return out;
}

std::string KesWaypoints(int count, const std::string& lineEnd)
{
    std::string out;
    for (const char* header : {"Kestrelmaps Waypoint File Version 1.1", "WGS 84", "Reserved 2", ""})
        AppendLine(out, lineEnd, "%s", header);
    for (int i = 1; i <= count; ++i)
        AppendLine(out, lineEnd,
                   "%4d,WP%d,%11.6f,%11.6f,33605.0000000,  0, 0, 3,         0,     65535,waypoint number %d, 0, 0,    "
                   "0,%7d, 8, 0,17,0,10.0,2,,,",
                   i, i, 40.0 + i * 1e-4, 5.0 - i * 1e-4, i, i % 3000);
    return out;
}

std::string NobletecExport(int count, const std::string& lineEnd)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        AppendLine(out, lineEnd, "Type = Mark");
        AppendLine(out, lineEnd, "Name = M%d", i);
        AppendLine(out, lineEnd, "Desc = Mark number %d", i);
        AppendLine(out, lineEnd, "LatLon = 47 %06.3f N 122 20.113 W", (i % 60000) * 1e-3);
    }
    AppendLine(out, lineEnd, "Type = Track");
    AppendLine(out, lineEnd, "NumberOfTrackMarks = %d", count);
    AppendLine(out, lineEnd, "TrackMarks = {");
    for (int i = 0; i < count; ++i) AppendLine(out, lineEnd, "47 %06.3f N 122 20.113 W", (i % 60000) * 1e-3);
    AppendLine(out, lineEnd, "}");
    return out;
}

std::string TomTomOv2(int points, bool extended)
{
    std::string out;
    for (int i = 0; i < points; ++i) {
        const bool further = extended && i % 2 == 1;
        std::string texts = "Point, number " + std::to_string(i);
        texts += '\0';
        if (further) texts.append("+41 21 555 01 01").push_back('\0');
        out += further ? '\x03' : '\x02';
        Put<std::int32_t>(out, static_cast<std::int32_t>(13 + texts.size()));
        Put<std::int32_t>(out, 489123 + i);
        Put<std::int32_t>(out, 5237403 - i);
        out += texts;
    }
    return out;
}

std::string MapsendTrack(int points)
{
    std::string out = "\x0c"
                      "MapSend file4";
    Put<std::int32_t>(out, 2);
    out += "\x05"
           "bench";
    Put<std::int32_t>(out, points);
    for (int i = 0; i < points; ++i) {
        Put<double>(out, -0.1 - i * 1e-5);
        Put<double>(out, -51.0 - i * 1e-5);
        Put<std::int32_t>(out, 30 + i % 100);
        Put<std::uint32_t>(out, 901281600u + static_cast<std::uint32_t>(i));
        Put<std::int32_t>(out, 1);
        out += '\0';
    }
    return out;
}

std::string GdbWaypoints(int count, std::uint16_t version)
{
    const bool v109 = version >= 109;
    std::string f = GdbHead(version);
    // The route first: the reader stops at the 10000th waypoint.
    if (v109) {
        std::string r;
        PutText(r, "Route \xC3\xBC");
        Put<std::uint16_t>(r, 0);
        for (int b = 0; b < 2; ++b) PutLinkBlock(r, 0, 0);
        Put<std::uint32_t>(r, 1000);
        for (int k = 1; k <= 1000; ++k) {
            const bool last = k == 1000;
            PutText(r, "WP" + std::to_string(k));
            PutNameGap(r);
            r.append(19, '\0');
            Put<std::uint32_t>(r, last ? 0 : 2);
            for (int l = 0; !last && l < 2; ++l) PutLinkBlock(r, Semicircles(40 + k * 1e-4), Semicircles(5 - k * 1e-4));
            Put<std::uint8_t>(r, last ? 1 : 0);
            for (int b = 0; !last && b < 2; ++b) PutLinkBlock(r, 0, 0);
            Put<std::uint64_t>(r, ~0ull);
            Put<std::uint16_t>(r, 0);
        }
        PutRecord(f, 'R', r);
    }
    for (int i = 1; i <= count; ++i) {
        std::string w;
        PutText(w, "WP" + std::to_string(i));
        PutNameGap(w);
        Put(w, Semicircles(40 + i * 1e-4));
        Put(w, Semicircles(5 - i * 1e-4));
        Put<std::uint8_t>(w, 1);
        Put<double>(w, i % 3000);
        PutText(w, (v109 ? "Wegpunkt, Nr. \xC3\xBC " : "waypoint, number ") + std::to_string(i));
        Put<std::uint8_t>(w, 1);
        Put<double>(w, 25);
        for (std::int32_t v : {0, 0, i % 120, 0}) Put<std::int32_t>(w, v);
        Put<std::uint8_t>(w, 0);
        Put<std::uint16_t>(w, 0);
        Put<std::int32_t>(w, 0);
        PutText(w, "");
        if (v109) Put<std::uint32_t>(w, 1);
        PutText(w, v109 ? "list" : "");
        Put<std::uint16_t>(w, 0);
        Put<std::uint8_t>(w, 0);
        Put<std::uint8_t>(w, 1);
        Put<std::uint32_t>(w, 1100000000u + static_cast<std::uint32_t>(i));
        if (v109) {
            Put<std::uint32_t>(w, 0);
            Put<std::uint16_t>(w, 0);
        }
        PutRecord(f, 'W', w);
    }
    return f;
}

std::string GdbTrack(int points)
{
    std::string f = GdbHead();
    std::string t;
    PutText(t, "bench track");
    Put<std::uint8_t>(t, 0);
    Put<std::int32_t>(t, 0);
    Put<std::uint32_t>(t, static_cast<std::uint32_t>(points));
    for (int i = 0; i < points; ++i) {
        Put(t, Semicircles(51 + i * 1e-5));
        Put(t, Semicircles(-0.1 - i * 1e-5));
        Put<std::uint8_t>(t, 1);
        Put<double>(t, 30 + i % 100);
        Put<std::uint8_t>(t, 1);
        Put<std::uint32_t>(t, 1100000000u + static_cast<std::uint32_t>(i));
        Put<std::uint8_t>(t, 0);
        Put<std::uint8_t>(t, 0);
    }
    PutRecord(f, 'T', t);
    return f;
}

namespace {
// Definitions of a record (local 0) and a lap (local 1), little-endian.
std::string FitDefinitions()
{
    std::string out;
    const auto define = [&out](std::uint8_t local, std::uint16_t global, std::initializer_list<std::uint8_t> fields) {
        out += static_cast<char>(0x40 | local);
        out += std::string("\0\0", 2);
        Put<std::uint16_t>(out, global);
        out += static_cast<char>(fields.size() / 3);
        for (const std::uint8_t byte : fields) out += static_cast<char>(byte);
    };
    define(0, 20,
           {253, 4, 0x86, 0, 4, 0x85, 1, 4, 0x85, 2, 2, 0x84, 3, 1, 2, 4, 1, 2, 5, 4, 0x86, 6, 2, 0x84, 13, 1, 1});
    define(1, 19, {253, 4, 0x86, 2, 4, 0x86, 7, 4, 0x86});
    return out;
}

void PutFitRecord(std::string& out, std::int64_t i)
{
    constexpr std::uint32_t kStart = 1000000000;  // 2021-09-08
    const auto time = kStart + static_cast<std::uint32_t>(i);
    out += '\0';
    Put<std::uint32_t>(out, time);
    Put<std::int32_t>(out, Semicircles(47 + static_cast<double>(i % 100000) * 1e-5));
    Put<std::int32_t>(out, Semicircles(8 + static_cast<double>(i % 70000) * 1e-5));
    Put<std::uint16_t>(out, static_cast<std::uint16_t>(2500 + 5 * (400 + i % 300)));
    Put<std::uint8_t>(out, static_cast<std::uint8_t>(100 + i % 80));
    Put<std::uint8_t>(out, static_cast<std::uint8_t>(70 + i % 30));
    Put<std::uint32_t>(out, static_cast<std::uint32_t>(i * 500 % 4000000000));
    Put<std::uint16_t>(out, static_cast<std::uint16_t>(5000 + i % 1000));
    Put<std::int8_t>(out, static_cast<std::int8_t>(15 + i % 10));
    if ((i + 1) % 3600 == 0) {
        out += '\1';
        Put<std::uint32_t>(out, time);
        Put<std::uint32_t>(out, time - 3599);
        Put<std::uint32_t>(out, 3599000);
    }
}
}  // namespace

void SaveFitActivity(const std::string& path, std::int64_t points)
{
    std::string records = FitDefinitions();
    const std::size_t definitions = records.size();
    std::uint64_t dataSize = definitions;
    for (std::int64_t i = 0; i < points; ++i) dataSize += 24 + ((i + 1) % 3600 == 0 ? 13 : 0);
    std::string header("\x0e\x20", 2);
    Put<std::uint16_t>(header, 2100);
    Put<std::uint32_t>(header, static_cast<std::uint32_t>(dataSize));
    header += ".FIT";
    const auto span = [](const std::string& s) {
        return std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    };
    Put<std::uint16_t>(header, fit::Crc16(0, span(header)));
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    std::uint16_t crc = fit::Crc16(0, span(header));
    file << header;
    for (std::int64_t i = 0; i < points; ++i) {
        PutFitRecord(records, i);
        if (records.size() < (1u << 20) && i + 1 < points) continue;
        crc = fit::Crc16(crc, span(records));
        file << records;
        records.clear();
    }
    std::string end;
    Put<std::uint16_t>(end, crc);
    file << end;
    if (!file) throw std::runtime_error("cannot write " + path);
}

void SaveInput(const std::string& path, const std::string& content)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
    if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace bench
