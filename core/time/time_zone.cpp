// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/time/time_zone.h"

#include <cstdio>
#include <cstdlib>
#include <date/tz.h>
#include <stdexcept>

namespace {
using Seconds = std::chrono::sys_seconds;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
}  // namespace

std::optional<TimeZone> TimeZone::Named(const std::string& name)
{
    if (name == "UTC" || name == "Z") return TimeZone();
    try {
        return TimeZone(date::locate_zone(name));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

TimeZone TimeZone::System()
{
    if (const char* tz = std::getenv("TZ"); tz != nullptr && *tz != '\0')
        if (auto zone = Named(*tz == ':' ? tz + 1 : tz)) return *zone;
    try {
        return TimeZone(date::current_zone());
    } catch (const std::exception&) {
        return TimeZone();
    }
}

std::vector<std::string> TimeZone::Names()
{
    std::vector<std::string> names;
    try {
        for (const date::time_zone& zone : date::get_tzdb().zones) names.emplace_back(zone.name());
    } catch (const std::exception&) {
        // No database: only UTC is offered.
    }
    return names;
}

std::string TimeZone::Name() const { return zone_ ? std::string(zone_->name()) : "UTC"; }

std::chrono::seconds TimeZone::OffsetAt(UtcTime time) const
{
    if (!zone_) return {};
    return zone_->get_info(Seconds(std::chrono::seconds(time.seconds))).offset;
}

UtcTime TimeZone::ToUtc(UtcTime wallClock) const
{
    if (!zone_) return wallClock;
    const date::local_seconds local{std::chrono::seconds(wallClock.seconds)};
    const date::local_info info = zone_->get_info(local);
    // Nonexistent and ambiguous times both take the first offset: before the
    // spring change, the summer one in autumn.
    return {wallClock.seconds - info.first.offset.count(), wallClock.nanoseconds};
}

UtcTime TimeZone::ToUtcAfter(UtcTime wallClock, UtcTime previous) const
{
    const UtcTime first = ToUtc(wallClock);
    if (!zone_ || !(first < previous)) return first;
    const date::local_info info = zone_->get_info(date::local_seconds{std::chrono::seconds(wallClock.seconds)});
    if (info.result != date::local_info::ambiguous) return first;
    const UtcTime second{wallClock.seconds - info.second.offset.count(), wallClock.nanoseconds};
    return second < previous ? first : second;
}

UtcTime TimeZone::DayStart(UtcTime time) const
{
    constexpr std::int64_t kDay = 86400;
    const std::int64_t local = time.seconds + OffsetAt(time).count();
    return ToUtc({FloorDiv(local, kDay) * kDay, 0});
}

std::string TimeZone::OffsetText(UtcTime time) const
{
    const auto minutes = OffsetAt(time).count() / 60;
    const auto magnitude = minutes < 0 ? -minutes : minutes;
    char text[8];
    std::snprintf(text, sizeof text, "%c%02d:%02d", minutes < 0 ? '-' : '+', static_cast<int>(magnitude / 60),
                  static_cast<int>(magnitude % 60));
    return text;
}

std::string TimeZone::LocalIsoTime(UtcTime time) const
{
    std::string text = IsoTime({time.seconds + OffsetAt(time).count(), time.nanoseconds});
    if (text.empty()) return text;
    text.pop_back();  // the Z
    return text + OffsetText(time);
}
