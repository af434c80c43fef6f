// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/import/MapsourceRoute.h"

#include <optional>

#include "core/io/byte_reader.h"
#include "formats/import/Mapsource.h"
#include "formats/import/MapsourceShared.h"

namespace mapsource {
namespace {
constexpr std::size_t kMpsNameGap = 27;
constexpr std::size_t kLinkCountOffset = 19;  // of the link point count in the 23 bytes after the name gap

// A point of the route with its name; without a position of its own it
// stands at 0,0. The native route files give it no symbol, and the time of
// conversion.
Point RoutePoint(std::string_view nameBytes, bool utf8, const std::optional<PositionBlock>& block)
{
    Point point;
    point.name = DetailText(nameBytes, utf8);
    point.native.symbol = 0;
    point.native.dayOfConversion = true;
    if (block) {
        point.latitude = SemicirclesToDegrees(block->Latitude);
        point.longitude = SemicirclesToDegrees(block->Longitude);
    }
    return point;
}
Point LinkPoint(const PositionBlock& block)
{
    Point link;
    link.latitude = SemicirclesToDegrees(block.Latitude);
    link.longitude = SemicirclesToDegrees(block.Longitude);
    link.elevation = block.Metres;
    return link;
}
}  // namespace

PositionBlock RouteReader::ReadBlock(ByteReader& body) const
{
    if (!layout_.mps) return ReadPositionBlock(body);
    PositionBlock block;
    std::uint8_t flag = 0;
    double metres = 0;
    block.Whole = Read(body, block.Latitude) && Read(body, block.Longitude);
    if (block.Whole && Read(body, flag) && Read(body, metres) && flag == 1 && std::isfinite(metres))
        block.Metres = metres;
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

void RouteReader::ReadRoute(ByteReader& body)
{
    const std::string nameBytes = ReadTextBytes(body, kDetailBytes);
    GroupInfo info;
    info.name = DetailText(nameBytes, layout_.utf8);
    builder_.StartRoute(std::move(info));
    Skip(body, 2);
    ReadBlock(body);
    ReadBlock(body);
    std::uint32_t count = 0;
    Read(body, count);
    // Each point takes its own first link point. The last point takes the
    // final link point of the point before it: the link points trace the way
    // to the next point, so that is where they end. The link points are the
    // road the route follows, kept beside its points.
    std::optional<PositionBlock> lastPosition;
    std::vector<Point> road;
    for (std::uint32_t k = 1; k <= count && !body.at_end(); ++k) {
        const std::string name = ReadTextBytes(body, kDetailBytes);
        std::uint32_t links = 0;
        if (SkipNameGap(body) && Skip(body, kLinkCountOffset)) Read(body, links);
        std::optional<PositionBlock> first, final;
        std::uint32_t read = 0;
        road.clear();
        for (; read < links; ++read) {
            const PositionBlock block = ReadBlock(body);
            if (!block.Whole) break;
            if (read == 0) first = block;
            final = block;
            road.push_back(LinkPoint(block));
        }
        builder_.AddRoutePoint(RoutePoint(name, layout_.utf8, k < count ? first : lastPosition), road);
        if (links >= 2 && read == links && k + 1 == count) lastPosition = final;
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
