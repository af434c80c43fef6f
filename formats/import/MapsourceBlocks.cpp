// SPDX-License-Identifier: GPL-3.0-or-later
// The record framing, name and position decoding and symbol table that the
// .mps and .gdb readers share, and where both put what they read.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>

#include "core/io/byte_reader.h"
#include "core/text/number_format.h"
#include "core/text/text_encoding.h"
#include "formats/import/Mapsource.h"
#include "formats/import/MapsourceShared.h"

namespace mapsource {
std::string DetailText(std::string_view bytes, bool utf8) { return TextAsRead(bytes, utf8); }

namespace native {
namespace {
constexpr std::int32_t kNone = -777;

// Feet beyond the highest elevation a point may have are none, as its metres are.
float Held(std::int32_t feet)
{
    return std::fabs(feet) <= kHighestElevationMetres * kFeetPerMetre ? static_cast<float>(feet) : kNoFeet;
}
}  // namespace

float MpsFeet(double metres)
{
    const auto whole = RoundHalfEven<std::int32_t>(metres, kNone);
    return whole == 0 || whole == kNone ? kNoFeet : Held(RoundHalfEven<std::int32_t>(whole * kFeetPerMetre, kNone));
}

float GdbFeet(double metres)
{
    const auto feet = RoundHalfEven<std::int32_t>(metres * kFeetPerMetre, kNone);
    return feet == 0 || feet == kNone ? kNoFeet : Held(feet);
}

float DepthFeet(double metres)
{
    const auto feet = RoundHalfEven<std::int32_t>(metres * kFeetPerMetre, kNone);
    return feet == kNone ? kNoFeet : Held(feet);
}
}  // namespace native

DocumentBuilder::DocumentBuilder(ReadResult& result, const ReadOptions& options)
    : result_(result), mode_(options.mode), trackPointsKept_(options.trackPointsKept),
      waypoints_(result.document.waypoints, result.findings, options.waypointsKept)
{}

void DocumentBuilder::AddWaypoint(const Point& point)
{
    if ((point.latitude == 0 && point.longitude == 0) || waypoints_.Full()) return;
    if (waypoints_.Add(point)) ++waypointCount_;
}

void DocumentBuilder::StartRoute(GroupInfo info)
{
    result_.document.routes.push_back({std::move(info), result_.document.NewList(), result_.document.NewList()});
    waypointsBefore_.push_back(waypointCount_);
}

void DocumentBuilder::AddRoutePoint(const Point& point, const std::vector<Point>& links)
{
    routeNames_.try_emplace(point.name);
    Route& route = result_.document.routes.back();
    route.points.push_back(point);
    for (const Point& link : links) route.links.push_back(link);
    route.linksAfter.push_back(static_cast<std::uint32_t>(links.size()));
}

void DocumentBuilder::StartTrack(GroupInfo info)
{
    track_.reset();
    result_.document.tracks.push_back({std::move(info), result_.document.NewList(), 0});
    track_.emplace(result_.document.tracks.back().points, result_.findings, trackPointsKept_);
}

void DocumentBuilder::AddTrackPoint(Point& point)
{
    if (track_->Full()) return;
    point.newSection = result_.document.tracks.back().points.empty();
    track_->Add(point);
}

void DocumentBuilder::NoteEndInsideRecord()
{
    if (endNoted_) return;
    endNoted_ = true;
    result_.findings.Add(FindingKind::Truncated,
                         "The MapSource file ends inside a record: what came before it was read.");
}

void DocumentBuilder::Finish()
{
    if (routeNames_.empty()) return;
    std::int64_t place = 0;
    result_.document.waypoints.ForEach([&](const Point& waypoint) {
        const auto named = routeNames_.find(waypoint.name);
        if (named != routeNames_.end() && named->second.place < 0) named->second = {place, waypoint};
        ++place;
    });
    for (std::size_t r = 0; r < result_.document.routes.size(); ++r) {
        Route& route = result_.document.routes[r];
        const PointList& points = route.points;
        PointList given = points.EmptyLike();
        PointEntry entry(given, result_.findings);
        points.ForEach([&](const Point& point) {
            const Named& named = routeNames_.at(point.name);
            if (named.place < 0 || named.place >= waypointsBefore_[r]) {
                entry.Add(point);
                return;
            }
            Point taken = named.waypoint;
            taken.latitude = point.latitude;
            taken.longitude = point.longitude;
            taken.native = point.native;
            entry.Add(taken);
        });
        route.ReplacePoints(std::move(given));
    }
}

void CheckVersion(std::uint16_t version, const Versions& versions, DocumentBuilder& builder)
{
    if (version < versions.oldest) throw InputRefused(versions.obsolete, "Obsolete Mapsource File");
    if (version > versions.newest) builder.Notice(versions.later);
}
}  // namespace mapsource

const std::array<MapsourceSymbol, 119> MapsourceSymbols = {{
    {0, 35, "Marina (Anchor)"},
    {1, 72, "Bell"},
    {2, 84, "Green Diamond"},
    {3, 109, "Red Diamond"},
    {4, 79, "Diver Down Flag"},
    {5, 80, "Diver Down Flag"},
    {6, 2, "Bank"},
    {7, 23, "Fishing Area"},
    {8, 25, "Gas Station"},
    {9, 88, "Horn"},
    {10, 46, "Residence"},
    {11, 47, "Restaurant"},
    {12, 86, "Light"},
    {13, 3, "Bar"},
    {14, 112, "Danger Area"},
    {15, 85, "Green Square"},
    {16, 110, "Red Square"},
    {17, 114, "White Buoy"},
    {18, 70, "Waypoint"},
    {19, 54, "Shipwreck"},
    {20, 34, "Man Overboard"},
    {21, 92, "Navaid,Amber"},
    {22, 93, "Navaid,Black"},
    {23, 94, "Navaid,Blue"},
    {24, 95, "Navaid,Green"},
    {25, 96, "Navaid,Green/Re"},
    {26, 97, "Navaid,Green/Wh"},
    {27, 98, "Navaid,Orange"},
    {28, 99, "Navaid,Red"},
    {29, 100, "Navaid,Red/Gree"},
    {30, 101, "Navaid,Red/Whit"},
    {31, 102, "Navaid,Violet"},
    {32, 103, "Navaid,White"},
    {33, 104, "Navaid,White/Gr"},
    {34, 105, "Navaid,White/Re"},
    {35, 115, "White Dot"},
    {36, 108, "Radio Beacon"},
    {37, 5, "Boat Ramp"},
    {38, 8, "Campground"},
    {39, 48, "Restroom"},
    {40, 57, "Shower"},
    {41, 21, "Drinking Water"},
    {42, 63, "Telephone"},
    {43, 36, "Medical Facilit"},
    {44, 32, "Information"},
    {45, 42, "Parking Area"},
    {46, 41, "Park"},
    {47, 43, "Picnic Area"},
    {48, 51, "Scenic Area"},
    {49, 58, "Skiing Area"},
    {50, 61, "Swimming Area"},
    {51, 19, "Dam"},
    {52, 77, "Controlled Area"},
    {54, 111, "Restricted Area"},
    {55, 1, "Ball Park"},
    {56, 9, "Car"},
    {57, 31, "Hunting Area"},
    {58, 55, "Shopping Center"},
    {59, 30, "Hotel"},
    {60, 38, "Mine"},
    {61, 66, "Trail Head"},
    {62, 67, "Truck Stop"},
    {63, 81, "Exit"},
    {64, 83, "Flag"},
    {65, 75, "Circle with X"},
    {66, 89, "Mile Marker"},
    {67, 65, "TracBack Point"},
    {68, 28, "Golf Course"},
    {69, 15, "City (Small)"},
    {70, 14, "City (Medium)"},
    {71, 13, "City (large)"},
    {72, 76, "City Capitol"},
    {73, 71, "Amusement Park"},
    {74, 73, "Bowling"},
    {75, 74, "Car Rental"},
    {76, 10, "Car Repair"},
    {77, 22, "Fast Food"},
    {78, 82, "Fitness Center"},
    {79, 90, "Movie Theater"},
    {80, 91, "Museum"},
    {81, 106, "Pharmacy"},
    {82, 107, "Pizza"},
    {83, 44, "Post Office"},
    {84, 49, "RV Park"},
    {85, 52, "School"},
    {86, 113, "Stadium"},
    {87, 78, "Department Stor"},
    {88, 116, "Zoo"},
    {89, 17, "Convenience Sto"},
    {90, 87, "Live Theater"},
    {91, 50, "Scales"},
    {92, 64, "Toll Booth"},
    {93, 6, "Bridge"},
    {94, 7, "Building"},
    {95, 11, "Cemetary"},
    {96, 12, "Church"},
    {97, 16, "Civil"},
    {98, 18, "Crossing"},
    {99, 26, "Ghost Town"},
    {100, 33, "Levee"},
    {101, 37, "Military"},
    {102, 39, "Oil Field"},
    {103, 68, "Tunnel"},
    {104, 4, "Beach"},
    {105, 24, "Forest"},
    {106, 60, "Summit"},
    {107, 0, "Airport"},
    {108, 29, "Heliport"},
    {109, 45, "Private Field"},
    {110, 59, "Soft Field"},
    {111, 62, "Tall Tower"},
    {112, 56, "Short Tower"},
    {113, 27, "Glider Area"},
    {114, 69, "UltraLight Area"},
    {115, 40, "Parachute Area"},
    {116, 53, "Seaplane Base"},
    {117, 20, "Dangerous Area"},
    {118, 117, "Geocache"},
    {119, 118, "Geocache Found"},
}};

std::int16_t LookupMapsourceSymbol(std::int32_t code)
{
    // By code, built once from the table: every waypoint asks.
    static const auto natives = [] {
        std::array<std::int16_t, 256> byCode;
        byCode.fill(-1);
        for (auto row = MapsourceSymbols.rbegin(); row != MapsourceSymbols.rend(); ++row)
            if (row->Code >= 0 && row->Code < 256) byCode[static_cast<std::size_t>(row->Code)] = row->Native;
        return byCode;
    }();
    if (code >= 0 && code < 256 && natives[static_cast<std::size_t>(code)] >= 0)
        return natives[static_cast<std::size_t>(code)];
    for (const MapsourceSymbol& row : MapsourceSymbols)
        if (row.Code == code) return row.Native;
    return kDefaultMapsourceSymbol;
}

std::uint8_t ReadRecordHeader(ByteReader& file, std::int32_t& length)
{
    std::uint8_t type = 0;
    if (!file.i32(length) || !file.u8(type)) {
        length = -1;
        return 0;
    }
    return type;
}

bool ScanText(ByteReader& file, std::string& text, std::size_t kept)
{
    // A few kilobytes at a time, the zero byte looked for in them at once;
    // no more asked for, so that a file's window moves only at its end.
    constexpr std::size_t kPiece = 4096;
    for (std::span<const std::uint8_t> view = file.view(kPiece); !view.empty(); view = file.view(kPiece)) {
        const auto* zero = static_cast<const std::uint8_t*>(std::memchr(view.data(), 0, view.size()));
        const std::size_t length = zero ? static_cast<std::size_t>(zero - view.data()) : view.size();
        const std::size_t taken = std::min(length, kept - std::min(kept, text.size()));
        text.append(reinterpret_cast<const char*>(view.data()), taken);
        file.skip(zero ? length + 1 : length);
        if (zero) return true;
    }
    return false;
}

std::string ReadTextBytes(ByteReader& file, std::size_t kept)
{
    std::string bytes;
    ScanText(file, bytes, kept);
    return bytes;
}

// The product of a 32-bit count and 180 fits a double's 53 bits, and a
// division by 2^31 only moves the exponent: exact, as in extended precision.
double SemicirclesToDegrees(std::int32_t semicircles) { return semicircles * 180.0 / 2147483648.0; }
