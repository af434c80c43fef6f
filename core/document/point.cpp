// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/point.h"

#include <algorithm>

#include "core/text/text_encoding.h"

namespace {
// Two values of a field are the same when both are none.
bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }
}  // namespace

bool ValidPosition(double latitude, double longitude)
{
    return std::isfinite(latitude) && std::isfinite(longitude) && latitude >= -90 && latitude <= 90 &&
           longitude >= -180 && longitude <= 180;
}

bool operator==(const Point& a, const Point& b)
{
    const bool measures = Same(a.elevation, b.elevation) && Same(a.speed, b.speed) && Same(a.course, b.course) &&
                          Same(a.magneticVariation, b.magneticVariation) && Same(a.geoidHeight, b.geoidHeight) &&
                          Same(a.hdop, b.hdop) && Same(a.vdop, b.vdop) && Same(a.pdop, b.pdop) &&
                          Same(a.ageOfDgps, b.ageOfDgps) && Same(a.celsius, b.celsius) &&
                          Same(a.waterCelsius, b.waterCelsius) && Same(a.depth, b.depth);
    const bool device = a.device.street == b.device.street && a.device.city == b.device.city &&
                        a.device.state == b.device.state && a.device.postalCode == b.device.postalCode &&
                        a.device.country == b.device.country && a.device.phone == b.device.phone &&
                        a.device.categories == b.device.categories && Same(a.device.proximity, b.device.proximity) &&
                        Same(a.device.depth, b.device.depth) && Same(a.device.celsius, b.device.celsius) &&
                        a.device.displayMode == b.device.displayMode;
    return Same(a.latitude, b.latitude) && Same(a.longitude, b.longitude) && a.time == b.time && measures &&
           a.dgpsStation == b.dgpsStation && a.satellites == b.satellites && a.heartRate == b.heartRate &&
           a.cadence == b.cadence && a.fix == b.fix && a.newSection == b.newSection && a.undated == b.undated &&
           a.symbolCode == b.symbolCode && a.name == b.name && a.comment == b.comment &&
           a.description == b.description && a.source == b.source && a.symbol == b.symbol && a.type == b.type &&
           a.links == b.links && device && a.extensions == b.extensions && a.extensionsLeftOut == b.extensionsLeftOut &&
           a.native == b.native;
}

bool HoldsNonAsciiText(const Point& p)
{
    const auto upper = [](const std::string& text) { return !IsAscii(text); };
    const DeviceDetails& d = p.device;
    for (const std::string* text : {&p.name, &p.comment, &p.description, &p.source, &p.type, &d.street, &d.city,
                                    &d.state, &d.postalCode, &d.country, &d.phone})
        if (upper(*text)) return true;
    return std::any_of(p.links.begin(), p.links.end(), [&](const Link& link) { return upper(link.text); }) ||
           std::any_of(d.categories.begin(), d.categories.end(), upper);
}
