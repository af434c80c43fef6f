// SPDX-License-Identifier: GPL-3.0-or-later
// Reading bytes in memory, and the points a reader made, for tables of
// expectations.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/convert/format_rows.h"

using Reader = ReadResult (*)(const InputSource&, const ReadOptions&);

inline ReadResult ReadMemory(Reader reader, std::string bytes, std::string name = "in")
{
    return reader(InputSource::Memory(std::move(name), std::move(bytes)), {});
}

// "name|comment|description|symbol|metres to the mm|time": what a point holds
// besides its position, empty where none; an undated time ends in "?".
inline std::string Held(const Point& p)
{
    char metres[32] = "";
    if (!std::isnan(p.elevation)) std::snprintf(metres, sizeof metres, "%.3f", p.elevation);
    const std::string time = p.time ? IsoTime(*p.time) + (p.undated ? "?" : "") : "";
    return p.name + "|" + p.comment + "|" + p.description + "|" + p.symbol + "|" + metres + "|" + time;
}

// The points of the document's first track; none when it has no track.
inline std::vector<Point> TrackPoints(const ReadResult& read)
{
    return read.document.tracks.empty() ? std::vector<Point>{} : read.document.tracks.front().points.ToVector();
}
