// SPDX-License-Identifier: GPL-3.0-or-later
// What the native records (and the Holux images, which take the same values)
// are made of, derived from a document's points: 8-bit texts, feet, day
// counts, symbol numbers, and the capacities of the native files.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/document/document.h"
#include "core/document/findings.h"
#include "core/document/point.h"
#include "core/time/clock.h"

namespace kes {

inline constexpr int kMaxWaypoints = 10000;
inline constexpr int kMaxRouteIndex = 100;  // route slots 0..100; documents' routes take 1..100
inline constexpr int kMaxRoutePoints = 1000;
inline constexpr std::size_t kRouteNameLength = 16;  // of a route's and a route point's name column
inline constexpr int kMaxTrackPoints = 100000;
// A conversion writes at most this many native track files: past it, nothing
// is written, rather than a folder flooded.
inline constexpr std::size_t kMaxTrackFiles = 1000;
inline constexpr double kFeetPerMetre = 3.2808;
inline constexpr float kNoAltitude = -777.0f;
inline constexpr double kUndatedWaypoint = 33605.0;  // 1992-01-02, the day a waypoint without one carries

// A text of the document as the 8-bit files hold it. U+0080..U+009F are
// controls nobody writes on purpose: they come from files that call their
// Windows-1252 text ISO-8859-1, so they go back to the bytes they were.
std::string NativeText(std::string_view utf8);

// The description the native files give a point or a group: its
// description, or its comment when it has none.
inline const std::string& DescriptionOf(const std::string& description, const std::string& comment)
{
    return description.empty() ? comment : description;
}
std::string NativeDescription(const Point& p);
// A point's and a group's name and description as the native files hold them.
std::string NativeName(const Point& p);
std::string NativeName(const GroupInfo& group);
std::string NativeDescription(const GroupInfo& group);

// The native symbol number: the one the input gave, else the number of its
// name (70 for a name the table lacks), 0 for none.
std::int16_t SymbolNumber(const Point& p);

// Feet of an elevation as the waypoint records hold them; kNoAltitude for
// none. Whole feet of 0 mean none in them; without an elevation a depth
// stands in its place, as device files give it.
float WaypointFeet(const Point& p);
// Metres of an elevation (or else of a depth) as the track records hold them; kNoAltitude for none.
float TrackMetres(const Point& p);

// The day counts a write gives: a point's own time, an undated one on the
// day of the conversion, or, for a point without a time, the time of
// conversion, which the native records cannot leave out. The clock is read
// once per write.
class DayCounts {
public:
    explicit DayCounts(const Clock& clock);
    // The time of conversion is in UTC, as every other time the native files hold.
    double OfWaypoint(const Point& p) { return Of(p, utc_); }
    double OfTrackPoint(const Point& p) { return Of(p, utc_); }
    // The points that took the time of conversion, as a finding (none when none did).
    void AddStamped(Findings& findings) const;

private:
    double Of(const Point& p, double stamp);
    double utc_;
    std::chrono::sys_days today_;
    std::int64_t stamped_ = 0;
};

}  // namespace kes
