// SPDX-License-Identifier: GPL-3.0-or-later
// Every time a document holds, changed in place or looked at: the points of
// its waypoints, routes and tracks, and the time of the file itself.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "core/document/document.h"

// The times of the calendar's years 1 to 9999, in seconds since 1970.
inline constexpr std::int64_t kFirstCalendarSecond = -62135596800;
inline constexpr std::int64_t kLastCalendarSecond = 253402300799;

// Calls change(point) for each point; a list is written again only when a
// call said it changed its point. Returns how many did.
std::int64_t ChangePoints(Document& document, const std::function<bool(Point&)>& change);
// The same for the points of one list.
std::int64_t ChangeList(PointList& list, const std::function<bool(Point&)>& change);

// Calls look(point) for each point, in order.
void LookAtPoints(const Document& document, const std::function<void(const Point&)>& look);

// The time moved by `seconds`, or nothing when it would leave the calendar.
std::optional<UtcTime> Moved(UtcTime time, std::int64_t seconds);
