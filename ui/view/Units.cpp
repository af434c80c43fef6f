// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/Units.h"

#include <cmath>

#include "ui/view/MapProjection.h"

namespace {
constexpr double kFoot = 0.3048, kMile = 1609.344, kNauticalMile = 1852;
// Below 10 km, a mile or a nautical mile, a distance is shown in the small unit.
constexpr double kMetricSmallUpTo = 10000;
}  // namespace

QString UnitsName(Units units)
{
    switch (units) {
    case Units::Imperial: return "imperial";
    case Units::Nautical: return "nautical";
    case Units::Metric: break;
    }
    return "metric";
}

Units UnitsNamed(const QString& name)
{
    if (name.compare("imperial", Qt::CaseInsensitive) == 0) return Units::Imperial;
    if (name.compare("nautical", Qt::CaseInsensitive) == 0) return Units::Nautical;
    return Units::Metric;
}

QString DistanceText(double metres, Units units)
{
    if (!std::isfinite(metres)) return {};
    const double length = std::fabs(metres);
    switch (units) {
    case Units::Imperial:
        return length < kMile ? QString("%1 ft").arg(metres / kFoot, 0, 'f', 0)
                              : QString("%1 mi").arg(metres / kMile, 0, 'f', 3);
    case Units::Nautical:
        return length < kNauticalMile ? QString("%1 m").arg(metres, 0, 'f', 1)
                                      : QString("%1 NM").arg(metres / kNauticalMile, 0, 'f', 3);
    case Units::Metric: break;
    }
    return length < kMetricSmallUpTo ? QString("%1 m").arg(metres, 0, 'f', 1)
                                     : QString("%1 km").arg(metres / 1000, 0, 'f', 3);
}

QString HeightText(double metres, Units units)
{
    if (!std::isfinite(metres)) return {};
    if (units == Units::Metric || units == Units::Nautical) return QString("%1 m").arg(metres, 0, 'f', 1);
    return QString("%1 ft").arg(metres / kFoot, 0, 'f', 0);
}

QString TimeText(const std::optional<UtcTime>& time, const TimeZone& zone)
{
    if (!time) return {};
    if (zone.IsUtc()) return QString::fromStdString(IsoTime(*time)).replace('T', ' ').replace("Z", " UTC");
    QString text = QString::fromStdString(zone.LocalIsoTime(*time)).replace('T', ' ');
    return text.insert(text.size() - 6, ' ');
}

QString DegreesText(double value, char positive, char negative, int decimals)
{
    if (!std::isfinite(value)) return {};
    return QString("%1° %2").arg(std::fabs(value), 0, 'f', decimals).arg(value < 0 ? negative : positive);
}

LengthUnit LengthUnitFor(double metres, Units units)
{
    const double length = std::fabs(metres);
    switch (units) {
    case Units::Imperial: return length < kMile ? LengthUnit{kFoot, "ft"} : LengthUnit{kMile, "mi"};
    case Units::Nautical: return length < kNauticalMile ? LengthUnit{1, "m"} : LengthUnit{kNauticalMile, "NM"};
    case Units::Metric: break;
    }
    return length < 1000 ? LengthUnit{1, "m"} : LengthUnit{1000, "km"};
}

LengthUnit HeightUnit(Units units) { return units == Units::Imperial ? LengthUnit{kFoot, "ft"} : LengthUnit{1, "m"}; }

RoundLength RoundLengthBelow(double metres, Units units)
{
    if (!(metres > 0) || !std::isfinite(metres)) return {0, {}};
    const LengthUnit unit = LengthUnitFor(metres, units);
    const double count = NiceStepBelow(metres / unit.metres);
    return {count * unit.metres, QString("%1 %2").arg(count).arg(unit.symbol)};
}
