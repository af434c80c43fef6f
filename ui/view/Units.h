// SPDX-License-Identifier: GPL-3.0-or-later
// The units the view's figures are shown in: metric, imperial or nautical, a
// setting of the view's (distances in km, miles or nautical miles; heights in
// metres or feet).
#pragma once

#include <QString>
#include <optional>

#include "core/time/time_zone.h"
#include "core/time/utc_time.h"

enum class Units { Metric, Imperial, Nautical };

// The setting's value in the settings file ("metric", "imperial", "nautical")
// and back; anything else reads as metric.
QString UnitsName(Units units);
Units UnitsNamed(const QString& name);

// A length along the ground: metres or km; feet or miles; metres or nautical miles.
QString DistanceText(double metres, Units units);
// An elevation, a climb: metres, or feet outside the metric system.
QString HeightText(double metres, Units units);
// A time in the zone chosen: "2024-03-31 04:30:00 +02:00", or "... UTC"; none: empty.
QString TimeText(const std::optional<UtcTime>& time, const TimeZone& zone);
// An angle with its hemisphere: "47.123456° N".
QString DegreesText(double value, char positive, char negative, int decimals = 6);

// The unit a scale bar or an axis this long counts in: m or km; ft or mi; m or NM.
struct LengthUnit {
    double metres;  // in one unit
    const char* symbol;
};
LengthUnit LengthUnitFor(double metres, Units units);
// Heights: metres, or feet outside the metric system.
LengthUnit HeightUnit(Units units);
// A round length (1, 2 or 5 times a power of ten of its unit) of at most
// metres, and its text: "500 m", "2 mi".
struct RoundLength {
    double metres;
    QString text;
};
RoundLength RoundLengthBelow(double metres, Units units);
