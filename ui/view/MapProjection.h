// SPDX-License-Identifier: GPL-3.0-or-later
// Web Mercator: the world as a unit square, x east from 180° W, y south from
// about 85.05° N; and the nice steps of a graticule and a scale bar.
#pragma once

#include <QPointF>
#include <algorithm>
#include <cmath>

inline constexpr double kMercatorLimit = 85.05112878;
inline constexpr double kEquatorMetres = 2 * M_PI * 6378137.0;

inline QPointF WorldOf(double latitude, double longitude)
{
    const double phi = std::clamp(latitude, -kMercatorLimit, kMercatorLimit) * M_PI / 180;
    return {(longitude + 180) / 360, (1 - std::log(std::tan(phi) + 1 / std::cos(phi)) / M_PI) / 2};
}

inline double LongitudeOf(QPointF world) { return world.x() * 360 - 180; }

inline double LatitudeOf(QPointF world) { return std::atan(std::sinh(M_PI * (1 - 2 * world.y()))) * 180 / M_PI; }

// The largest of 1, 2 and 5 times a power of ten that is at most value.
inline double NiceStepBelow(double value)
{
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double m : {5.0, 2.0, 1.0})
        if (m * power <= value) return m * power;
    return power;
}

// The smallest of 1, 2 and 5 times a power of ten that is at least value.
inline double NiceStepAbove(double value)
{
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double m : {1.0, 2.0, 5.0})
        if (m * power >= value) return m * power;
    return 10 * power;
}
