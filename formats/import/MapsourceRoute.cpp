// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/import/MapsourceRoute.h"

#include <functional>

#include "core/byte_reader.h"
#include "core/text_encoding.h"
#include "formats/import/Mapsource.h"
#include "formats/import/MapsourceShared.h"

namespace mapsource {
namespace {
constexpr std::size_t kMpsNameGap = 27;
constexpr std::size_t kLinkCountOffset = 19;  // of the link point count in the 23 bytes after the name gap

// Bytes up to a zero byte (read, not kept) or the end of the body.
std::string RawText(ByteReader& body)
{
    std::string text;
    std::uint8_t c = 0;
    while (body.u8(c) && c != 0) text.push_back(static_cast<char>(c));
    return text;
}

void SetPosition(RouteRecord& route, std::uint32_t k, const PositionBlock& block)
{
    if (k > static_cast<std::uint32_t>(kMaxRoutePoints)) return;
    RouteWpRecord& p = route.Points[static_cast<int>(k)];
    p.Latitude = SemicirclesToDegrees(block.Latitude);
    p.Longitude = SemicirclesToDegrees(block.Longitude);
    p.Altitude = static_cast<float>(block.Feet);
}
}  // namespace

void RouteReader::Index(int index)
{
    waypoints_.emplace(std::hash<std::string_view>{}(WaypointList[index].Detail.texts.Name()), index);
}

PositionBlock RouteReader::ReadBlock(ByteReader& body) const
{
    if (!layout_.mps) return ReadPositionBlock(body);
    PositionBlock block;
    std::uint8_t flag = 0;
    double metres = 0;
    block.Whole = Read(body, block.Latitude) && Read(body, block.Longitude);
    if (block.Whole && Read(body, flag) && Read(body, metres)) block.Feet = MpsFeet(flag == 1, metres);
    return block;
}

// The .gdb gap holds a zero-terminated text at offset 4 (a region code such as "ED").
bool RouteReader::SkipNameGap(ByteReader& body) const
{
    if (layout_.mps) return Skip(body, kMpsNameGap);
    std::uint8_t c = 1;
    if (!Skip(body, 4)) return false;
    while (c != 0)
        if (!Read(body, c)) return false;
    return Skip(body, 22);
}

// A route point holds what the first stored waypoint of its name holds; one
// without such a waypoint keeps its own name.
void RouteReader::GiveDetail(RouteWpRecord& point, const std::string& nameBytes) const
{
    std::string name = DetailText(nameBytes, layout_.utf8);
    int found = 0;
    const auto [first, last] = waypoints_.equal_range(std::hash<std::string_view>{}(name));
    for (auto it = first; it != last; ++it)
        if ((found == 0 || it->second < found) && WaypointList[it->second].Detail.texts.Name() == name)
            found = it->second;
    if (found != 0) {
        point.Detail = WaypointList[found].Detail;
        return;
    }
    point.Detail = PointDetail{};
    point.Detail.known = true;
    point.Detail.texts = PointTexts{.name = std::move(name)};
}

void RouteReader::ReadRoute(ByteReader& body)
{
    const bool written = mode_ != ReadMode::Tracks;
    // Files without routes need no index.
    if (!routeRead_)
        for (int i = 1; i <= WaypointCount; ++i) Index(i);
    routeRead_ = true;
    const int r = nextRoute_++;
    if (r > kMaxRouteIndex) {
        if (written) NoteCut(Cut::Routes, kMaxRouteIndex);
        return;
    }
    RouteRecord& route = RouteList[r];
    RouteCount = r;
    const std::string nameBytes = RawText(body);
    route.Name = layout_.utf8 ? Utf8ToLegacy(nameBytes) : nameBytes;
    route.Description = route.Name;
    route.PointCount = 0;
    route.Detail = GroupDetail{};
    route.Detail.known = true;
    route.Detail.name = DetailText(nameBytes, layout_.utf8);
    Skip(body, 2);
    ReadBlock(body);
    ReadBlock(body);
    std::uint32_t count = 0;
    Read(body, count);
    std::string pointName;
    for (std::uint32_t k = 1; k <= count && !body.at_end(); ++k) {
        const bool kept = k <= static_cast<std::uint32_t>(kMaxRoutePoints);
        if (!kept && written) NoteCut(Cut::RoutePointsOfEachRoute, kMaxRoutePoints);
        const std::string name = ReadCleanName(body, pointName, kDetailBytes);
        if (kept) {
            RouteWpRecord& point = route.Points[static_cast<int>(k)];
            route.PointCount = static_cast<std::int32_t>(k);
            point.Number = static_cast<std::int32_t>(k);
            point.Name = name;
            GiveDetail(point, pointName);
        }
        std::uint32_t links = 0;
        if (SkipNameGap(body) && Skip(body, kLinkCountOffset)) Read(body, links);
        // Each point takes its own first link point. The last point takes
        // the final link point of the point before it: the link points
        // trace the way to the next point, so that is where they end.
        PositionBlock lastBlock;
        std::uint32_t read = 0;
        for (; read < links; ++read) {
            const PositionBlock block = ReadBlock(body);
            if (!block.Whole) break;
            if (read == 0 && k < count) SetPosition(route, k, block);
            lastBlock = block;
        }
        if (links >= 2 && read == links && k + 1 == count) SetPosition(route, k + 1, lastBlock);
        // 0: the two position blocks of the leg's bounds follow; the last point has 1 and none.
        std::uint8_t bounded = 1;
        if (Read(body, bounded) && bounded == 0) {
            ReadBlock(body);
            ReadBlock(body);
        }
        Skip(body, layout_.pointEnd);
    }
}

}  // namespace mapsource
