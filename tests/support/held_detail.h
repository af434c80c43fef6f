// SPDX-License-Identifier: GPL-3.0-or-later
// What a point's detail holds, in one line for tables of expectations:
// "name|comment|description|symbol|metres to the mm|time", empty where none.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

#include "core/store.h"

inline std::string Held(const PointTexts& t, const PointValues& v)
{
    char metres[32] = "";
    if (!std::isnan(v.metres)) std::snprintf(metres, sizeof metres, "%.3f", v.metres);
    return t.name + "|" + t.comment + "|" + t.description + "|" + t.symbol + "|" + metres + "|" +
           (v.time ? IsoTime(*v.time) : "");
}
inline std::string Held(const PointDetail& d) { return d.known ? Held(d.texts, d.values) : "unknown"; }
inline std::string Held(const TrackPoint& p) { return p.Known ? Held(PointTexts{}, p.Values) : "unknown"; }
