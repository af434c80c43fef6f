// SPDX-License-Identifier: GPL-3.0-or-later
// A time zone of the system's database (/usr/share/zoneinfo): the offset
// from UTC at a moment, a wall-clock time turned into UTC, and where a local
// day begins, for the times an input holds as local and for times shown.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/time/utc_time.h"

namespace date {
class time_zone;
}

class TimeZone {
public:
    // UTC; a zone of no offset whatever the date.
    TimeZone() = default;
    // The zone of an IANA name ("Europe/Berlin", "UTC"); nothing when the
    // database does not know it.
    static std::optional<TimeZone> Named(const std::string& name);
    // The host's zone: TZ when it names a zone, else the system's; UTC when
    // neither can be found.
    static TimeZone System();
    // Every zone name the database knows, in its order.
    static std::vector<std::string> Names();

    std::string Name() const;
    bool IsUtc() const { return zone_ == nullptr; }
    // What to add to UTC for the local time at `time`, daylight saving included.
    std::chrono::seconds OffsetAt(UtcTime time) const;
    // The UTC time of a wall-clock time (given as seconds since 1970 on the
    // local clock). A time the clocks skipped in spring is read with the
    // offset before the change; one they showed twice in autumn, the first time.
    UtcTime ToUtc(UtcTime wallClock) const;
    // As ToUtc, for the wall-clock time of a point that follows one at
    // `previous` (UTC) in a log: a time the clocks showed twice takes the
    // second offset where the first would put it before `previous` and the
    // second would not, so that a log's second pass through the repeated
    // hour keeps its order.
    UtcTime ToUtcAfter(UtcTime wallClock, UtcTime previous) const;
    // The UTC time at which the local day holding `time` begins.
    UtcTime DayStart(UtcTime time) const;
    // The offset at `time` as "+02:00" ("+00:00" when none).
    std::string OffsetText(UtcTime time) const;
    // The local time at `time` as ISO 8601 with its offset
    // ("2024-03-31T04:30:00+02:00"); empty outside the years 1 to 9999.
    std::string LocalIsoTime(UtcTime time) const;

    friend bool operator==(const TimeZone&, const TimeZone&) = default;

private:
    explicit TimeZone(const date::time_zone* zone) : zone_(zone) {}
    const date::time_zone* zone_ = nullptr;  // owned by the database, which lives as long as the program
};
