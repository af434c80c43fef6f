// SPDX-License-Identifier: GPL-3.0-or-later
// The units the view's figures are shown in: metric, imperial or nautical, a
// setting of the view's (distances in km, miles or nautical miles; heights in
// metres or feet).
#pragma once

#include <QString>

enum class Units { Metric, Imperial, Nautical };

// The setting's value in the settings file ("metric", "imperial", "nautical")
// and back; anything else reads as metric.
QString UnitsName(Units units);
Units UnitsNamed(const QString& name);

// A length along the ground: metres or km; feet or miles; metres or nautical miles.
QString DistanceText(double metres, Units units);
// An elevation, a climb: metres, or feet outside the metric system.
QString HeightText(double metres, Units units);
