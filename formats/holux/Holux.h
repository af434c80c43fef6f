// SPDX-License-Identifier: GPL-3.0-or-later
// The Holux memory images: the .wrt waypoint and route file and the .tlg track file.
#pragma once

#include "core/convert/format_rows.h"

namespace holux {
// The texts of a waypoint record, and of a track record, in characters.
inline constexpr std::size_t kWaypointNameLength = 8, kWaypointTextLength = 12;
inline constexpr std::size_t kTrackNameLength = 12, kTrackTextLength = 13;
// The waypoint slots of a .wrt image, and the points of each of a .tlg's track slots.
inline constexpr int kWaypointSlots = 500, kTrackSlotPoints = 2500;
}  // namespace holux

ReadResult ReadHoluxWaypointFile(const InputSource& source, const ReadOptions& options);
// The first 500 waypoints; a written image holds no routes.
WriteResult WriteHoluxWaypointFile(const Document& document, const WriteRequest& request);
// Each slot that holds points is a track, its slot (from 1) in Track::slot.
ReadResult ReadHoluxTrackFile(const InputSource& source, const ReadOptions& options);
// The document's first five tracks take the image's slots, 2500 points each.
WriteResult WriteHoluxTrackFile(const Document& document, const WriteRequest& request);
