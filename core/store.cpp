// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store.h"

#include "core/clock.h"

IndexedTable<WayPoints, 1, kMaxWaypoints> WaypointList;
std::int32_t WaypointCount = 0;
TrackPropRecord TrackProps;
IndexedTable<TrackPoint, 0, kMaxTrackSlot> TrackPointList;
IndexedTable<RouteRecord, 0, kMaxRouteIndex> RouteList;
std::int32_t RouteCount = 0;
IndexedTable<std::uint32_t, 0, kMaxRouteIndex> RouteColours;
std::vector<PointTexts> TrackPointTexts;
DocumentDetail DocumentInfo;

namespace {
// PointTexts' members in the order PackedTexts keeps them.
constexpr std::string PointTexts::*kTextFields[] = {
    &PointTexts::name,   &PointTexts::comment, &PointTexts::description, &PointTexts::symbol,   &PointTexts::type,
    &PointTexts::source, &PointTexts::link,    &PointTexts::linkText,    &PointTexts::linkType,
};
constexpr std::uint32_t kRouteColourCycle[7] = {255, 16711680, 65280, 32768, 16711935, 0, 8388736};
}  // namespace

PackedTexts& PackedTexts::operator=(const PointTexts& texts)
{
    static_assert(std::size(kTextFields) == kFields);
    bytes_.clear();
    std::size_t size = 0;
    for (auto field : kTextFields) size += (texts.*field).size();
    bytes_.reserve(size);
    for (int i = 0; i < kFields; ++i) {
        bytes_ += texts.*kTextFields[i];
        ends_[i] = static_cast<std::uint32_t>(bytes_.size());
    }
    return *this;
}

PointTexts PackedTexts::Unpacked() const
{
    PointTexts texts;
    for (int i = 0; i < kFields; ++i) texts.*kTextFields[i] = Field(i);
    return texts;
}

std::string_view PackedTexts::Field(int index) const
{
    const std::uint32_t begin = index == 0 ? 0 : ends_[index - 1];
    if (ends_[index] > bytes_.size() || begin > ends_[index]) return {};
    return std::string_view(bytes_).substr(begin, ends_[index] - begin);
}

WayPoints ResetWaypoint()
{
    WayPoints w;
    w.Number = -1;
    w.Altitude = kNoAltitude;
    w.DateTime = kUndatedWaypoint;
    w.Column8 = 3;
    w.Column10 = 65535;
    w.Column16 = 8;
    w.Column18 = 17;
    w.Column20 = 10.0f;
    w.Column21 = 2;
    return w;
}

void ClearWaypoints()
{
    WaypointCount = 0;
    WaypointList.ResetAll([reset = ResetWaypoint()](WayPoints& w) { w = reset; });
}

void ClearDocumentInfo() { DocumentInfo = DocumentDetail{}; }

void SetTrackPointTexts(TrackPoint& p, PointTexts texts)
{
    // The first point of a track starts the texts afresh; no track holds more than its slots.
    if (TrackProps.PointCount == 0) TrackPointTexts.clear();
    if (texts.Empty() || TrackPointTexts.size() > kMaxTrackSlot) return;
    TrackPointTexts.push_back(std::move(texts));
    p.Texts = static_cast<std::uint32_t>(TrackPointTexts.size());
}

const PointTexts* TextsOf(const TrackPoint& p)
{
    if (p.Texts == 0 || p.Texts > TrackPointTexts.size()) return nullptr;
    return &TrackPointTexts[p.Texts - 1];
}

void ClearTracks()
{
    TrackProps.Name.clear();
    TrackProps.Description.clear();
    TrackProps.PointCount = 0;
    TrackProps.Detail = GroupDetail{};
    TrackPointTexts.clear();
    TrackPointList.ResetAll([](TrackPoint& p) {
        p.Latitude = kNoPosition;
        p.Longitude = kNoPosition;
    });
}

// Resets the points of every route, not only route 0, so that no stale point
// of an earlier conversion can leak into a later route file.
void ClearRoutes()
{
    RouteCount = 0;
    RouteWpRecord reset;
    reset.DateTime = NowUtc();
    reset.Column8 = 3;
    reset.Column10 = 65535;
    const std::function<void(RouteWpRecord&)> resetPoint = [reset](RouteWpRecord& point) {
        const float altitude = point.Altitude;  // keeps its value across resets
        point = reset;
        point.Altitude = altitude;
    };
    for (int r = 0; r <= kMaxRouteIndex; ++r) {
        RouteColours[r] = kRouteColourCycle[r % 7];
        RouteRecord& route = RouteList[r];
        route.Name = "R" + std::to_string(r);
        route.Description.clear();
        route.PointCount = 0;
        route.Detail = GroupDetail{};
        route.Points.ResetAll(resetPoint);
    }
}
