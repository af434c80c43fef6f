// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/document/Measure.h"

#include "core/catalogue.h"
#include "core/conversion_record.h"
#include "core/read_everything.h"
#include "core/store.h"
#include "formats/document/PointView.h"

namespace {
void AddPoint(FiguresCounter& counter, const PointView& p, bool newSection)
{
    counter.Add(p.latitude, p.longitude, p.values.metres, p.values.time, newSection);
}

// Measures each track as it is handed over, the one track the store holds.
class TrackMeasure final : public TrackDestination {
public:
    TrackMeasure(StoreTimes times, std::vector<GroupFigures>& tracks) : times_(times), tracks_(tracks) {}
    void TakeStoreTrack(int) override
    {
        FiguresCounter counter;
        VisitStoreTrack(times_, 0, kMaxTrackSlot + 1,
                        [&](int, const PointView& p, bool newSection) { AddPoint(counter, p, newSection); });
        tracks_.push_back({ViewOfTrack().name, counter.Result()});
    }

private:
    StoreTimes times_;
    std::vector<GroupFigures>& tracks_;
};
}  // namespace

FileFigures MeasureFile(FrontEnd& frontEnd, const std::string& file, int inputPosition)
{
    FileFigures result;
    const StoreTimes times = InputRow(inputPosition).times;
    TrackMeasure tracks(times, result.tracks);
    ReadEverything(frontEnd, file, inputPosition, tracks);
    result.refused = ReadFailed;
    result.readInPart = InputReadInPart() || !CutMessages().empty();
    FiguresCounter waypoints;
    VisitStoreWaypoints(times, [&](const PointView& p) { AddPoint(waypoints, p, true); });
    result.waypoints = waypoints.Result();
    VisitStoreRoutes(times, [&](int, const RouteRecord& route, const std::vector<PointView>& points) {
        FiguresCounter counter;
        for (std::size_t i = 0; i < points.size(); ++i) AddPoint(counter, points[i], i == 0);
        result.routes.push_back({ViewOfRoute(route).name, counter.Result()});
    });
    return result;
}
