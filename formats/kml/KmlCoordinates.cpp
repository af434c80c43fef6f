// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/kml/KmlCoordinates.h"

#include <cmath>

namespace kml {

Point PositionOf(std::string_view tuple, char separator, UnreadableValues& elevations)
{
    Point p;
    p.latitude = p.longitude = kNoValue;
    std::string_view parts[4];
    std::size_t count = 0;
    for (std::size_t at = 0; count < 4; ++count) {
        const std::size_t end = tuple.find(separator, at);
        parts[count] = tuple.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        if (end == std::string_view::npos) {
            ++count;
            break;
        }
        at = end + 1;
    }
    if (count < 2 || count > 3) return p;
    const auto longitude = ReadDecimal(parts[0]);
    const auto latitude = ReadDecimal(parts[1]);
    if (!longitude || !latitude || std::fabs(*longitude) > 180 || std::fabs(*latitude) > 90) return p;
    p.longitude = *longitude;
    p.latitude = *latitude;
    if (count == 3) p.elevation = elevations.Decimal(parts[2]).value_or(kNoValue);
    return p;
}

}  // namespace kml
