// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/document/ViewData.h"

#include <algorithm>

#include "core/catalogue.h"
#include "core/conversion_record.h"
#include "core/read_everything.h"
#include "core/read_watch.h"
#include "core/store.h"
#include "formats/document/PointView.h"

namespace {
// Adds a point to a group being built: its figures, and its distance along.
class GroupBuilder {
public:
    void Add(const PointView& p, bool newSection)
    {
        newSection = newSection || group_.points.empty();
        // The geodesics of a long track take a while: a stop asked for meanwhile is heard.
        if (group_.points.size() % 4096 == 4095) StopReadIfAsked();
        if (!newSection) {
            const ViewPoint& last = group_.points.back();
            along_ += GeodesicMetres(last.latitude, last.longitude, p.latitude, p.longitude);
        }
        counter_.Add(p.latitude, p.longitude, p.values.metres, p.values.time, newSection);
        group_.points.push_back({p.latitude, p.longitude, p.values.metres, along_, newSection});
    }
    ViewGroup Take(std::string name)
    {
        group_.name = std::move(name);
        group_.figures = counter_.Result();
        return std::move(group_);
    }

private:
    ViewGroup group_;
    FiguresCounter counter_;
    double along_ = 0;
};

class TrackKeeper final : public TrackDestination {
public:
    TrackKeeper(StoreTimes times, std::vector<ViewGroup>& tracks) : times_(times), tracks_(tracks) {}
    void TakeStoreTrack(int) override
    {
        GroupBuilder track;
        VisitStoreTrack(times_, 0, kMaxTrackSlot + 1,
                        [&](int, const PointView& p, bool newSection) { track.Add(p, newSection); });
        tracks_.push_back(track.Take(ViewOfTrack().name));
    }

private:
    StoreTimes times_;
    std::vector<ViewGroup>& tracks_;
};

// Keeps the reader's messages for the view instead of showing boxes.
class MessageKeeper final : public SilentFrontEnd {
public:
    MessageKeeper(FrontEnd& inner, std::vector<std::string>& messages)
        : SilentFrontEnd(inner.InputPosition()), inner_(inner), messages_(messages)
    {}
    void AddLine(const std::string& text) override { inner_.AddLine(text); }
    void ShowMessage(const std::string& text) override { messages_.push_back(text); }
    void ShowLimitMessage(const std::string& text) override { messages_.push_back(text); }
    void ProcessMessages() override { inner_.ProcessMessages(); }

private:
    FrontEnd& inner_;
    std::vector<std::string>& messages_;
};
}  // namespace

ViewData ReadViewData(FrontEnd& frontEnd, const std::string& file, int inputPosition)
{
    ViewData data;
    const StoreTimes times = InputRow(inputPosition).times;
    TrackKeeper tracks(times, data.tracks);
    MessageKeeper messages(frontEnd, data.messages);
    ReadEverything(messages, file, inputPosition, tracks);
    data.refused = ReadFailed;
    data.readInPart = InputReadInPart() || !CutMessages().empty();
    for (const std::string& cut : CutMessages())
        if (std::find(data.messages.begin(), data.messages.end(), cut) == data.messages.end())
            data.messages.push_back(cut);

    FiguresCounter waypoints;
    VisitStoreWaypoints(times, [&](const PointView& p) {
        waypoints.Add(p.latitude, p.longitude, p.values.metres, p.values.time, true);
        data.waypoints.push_back({p.texts.name, p.latitude, p.longitude});
    });
    data.waypointFigures = waypoints.Result();
    VisitStoreRoutes(times, [&](int, const RouteRecord& route, const std::vector<PointView>& points) {
        GroupBuilder builder;
        for (std::size_t i = 0; i < points.size(); ++i) builder.Add(points[i], i == 0);
        data.routes.push_back(builder.Take(ViewOfRoute(route).name));
    });
    return data;
}
