// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/TimeAxis.h"

#include <chrono>
#include <cmath>

namespace {
constexpr double kDay = 86400;
// Steps a reader counts in: seconds, minutes, hours, days, weeks.
constexpr double kSteps[] = {1,        2,        5,         10,        15,        30,         60,        120,   300,
                             600,      900,      1800,      3600,      7200,      10800,      21600,     43200, kDay,
                             2 * kDay, 7 * kDay, 14 * kDay, 28 * kDay, 91 * kDay, 182 * kDay, 364 * kDay};
constexpr int kMostTicks = 200;

double Offset(double utc, const TimeZone& zone)
{
    const auto whole = static_cast<std::int64_t>(std::floor(utc));
    return static_cast<double>(zone.OffsetAt(UtcTime{whole, 0}).count());
}

QString Label(double local, double step)
{
    using namespace std::chrono;
    const sys_seconds at{seconds(static_cast<std::int64_t>(std::floor(local)))};
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss clock{at - day};
    const auto two = [](long n) { return QString("%1").arg(n, 2, 10, QChar('0')); };
    const QString dayText = two(static_cast<unsigned>(date.month())) + "-" + two(static_cast<unsigned>(date.day()));
    if (step >= kDay) return QString::number(static_cast<int>(date.year())) + "-" + dayText;
    if (clock.hours().count() == 0 && clock.minutes().count() == 0 && clock.seconds().count() == 0) return dayText;
    QString text = two(clock.hours().count()) + ":" + two(clock.minutes().count());
    if (step < 60) text += ":" + two(clock.seconds().count());
    return text;
}
}  // namespace

std::vector<TimeTick> TimeTicks(double first, double last, double leastStep, const TimeZone& zone)
{
    std::vector<TimeTick> ticks;
    if (!std::isfinite(first) || !std::isfinite(last) || last < first) return ticks;
    double step = kSteps[std::size(kSteps) - 1];
    for (const double s : kSteps)
        if (s >= leastStep) {
            step = s;
            break;
        }
    // Beyond the steps' years: whole multiples of the largest, never more than a few hundred marks.
    step = std::max({step, leastStep, (last - first) / kMostTicks});
    if (step > kSteps[std::size(kSteps) - 1])
        step = std::ceil(step / kSteps[std::size(kSteps) - 1]) * kSteps[std::size(kSteps) - 1];
    const double offset = Offset(first, zone);
    // Round in local time; weeks and longer count from a Monday (1970-01-05).
    const double origin = step >= 7 * kDay ? 4 * kDay : 0;
    for (double local = std::ceil((first + offset - origin) / step) * step + origin; local - offset <= last;
         local += step) {
        const double utc = local - Offset(local - offset, zone);
        if (utc >= first && utc <= last) ticks.push_back({utc, Label(local, step)});
    }
    return ticks;
}
