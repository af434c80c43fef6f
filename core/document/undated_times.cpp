// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/undated_times.h"

#include "core/text/number_format.h"
#include "core/time/utc_time.h"

namespace {
std::int64_t DateList(PointList& list, std::chrono::sys_days firstDay)
{
    std::int64_t dated = 0;
    PointList result = list.EmptyLike();
    list.ForEach([&](const Point& p) {
        if (!p.undated || !p.time) {
            result.push_back(p);
            return;
        }
        Point q = p;
        q.time = OnDay(*p.time, firstDay);
        q.undated = false;
        result.push_back(q);
        ++dated;
    });
    if (dated > 0) list = std::move(result);
    return dated;
}
}  // namespace

std::string DatedLine(std::chrono::year_month_day firstDay, std::int64_t dated)
{
    const std::int64_t days = std::chrono::sys_days(firstDay).time_since_epoch().count();
    return "date " + IsoTime({days * 86400, 0}).substr(0, 10) + ": " + GroupedInt(dated) +
           (dated == 1 ? " time" : " times") + " of day dated";
}

UtcTime OnDay(UtcTime undated, std::chrono::sys_days today)
{
    const auto days = std::chrono::duration_cast<std::chrono::seconds>(today.time_since_epoch()).count();
    return {undated.seconds + days, undated.nanoseconds};
}

std::int64_t DateUndatedTimes(Document& document, std::chrono::year_month_day firstDay)
{
    const std::chrono::sys_days day{firstDay};
    std::int64_t dated = DateList(document.waypoints, day);
    for (Route& route : document.routes) dated += DateList(route.points, day);
    for (Track& track : document.tracks) dated += DateList(track.points, day);
    return dated;
}
